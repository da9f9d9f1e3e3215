#include "CDeviceInfo.h"

CDeviceInfo::CDeviceInfo() : CTarvelPage(0, tarvel::WindowSlot::DeviceInfoPage) {}

void CDeviceInfo::LoadStoredParameterConfig()
{
    // The definition files and their table belong to this page's own code,
    // which is not part of this build yet.
}
