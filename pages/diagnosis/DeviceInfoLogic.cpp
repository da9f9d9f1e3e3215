#include "DeviceInfoLogic.h"

#include "StoredParameters.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "UdsServices.h"

#include <vector>

namespace {

// The identifier is ASCII; the answer may carry the link's padding after it.
std::string AsciiField(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        if (b < 0x20 || b > 0x7E)
            break;
        text.push_back(static_cast<char>(b));
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

DeviceInfoLogic::DeviceInfoLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabDeviceInfo, context) {}

void DeviceInfoLogic::OnActivate(int)
{
    if (EcuConnected.load() == 1)
        ReadIdentification();
}

void DeviceInfoLogic::OnDisconnected()
{
    DeviceInfoAutoRead = 0;
    state_ = DeviceInfoState{};
    Changed();
}

void DeviceInfoLogic::OnResetForNewRun()
{
    LoadStoredParameterConfig();
}

void DeviceInfoLogic::LoadStoredParameterConfig()
{
    ::LoadStoredParameterConfig();
}

bool DeviceInfoLogic::ReadIdentification()
{
    std::vector<uint8_t> answer;
    const bool ok = tarvel::UdsReadByIdQuiet(kSupplierIdDid, answer) == 1;
    state_.readFailed = !ok;
    state_.supplierId = ok ? AsciiField(answer) : std::string();
    Changed();
    return ok;
}
