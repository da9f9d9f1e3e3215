#include "CDeviceInfo.h"

#include "StoredParameters.h"

CDeviceInfo::CDeviceInfo() : CTarvelPage(0, tarvel::WindowSlot::DeviceInfoPage) {}

void CDeviceInfo::LoadStoredParameterConfig()
{
    ::LoadStoredParameterConfig();
}
