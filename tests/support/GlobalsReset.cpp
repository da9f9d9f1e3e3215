#include "GlobalsReset.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "RecorderGlobals.h"
#include "ReportGlobals.h"
#include "ShellGlobals.h"
#include "StoredParameters.h"
#include "ValueCodec.h"

#include "LanguageTable.h"
#include "SettingsFiles.h"

#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "EcuRestart.h"
#include "ControlCanStandin.h"
#include "IsoTpLink.h"
#include "UdsEngine.h"

#include "Clock.h"
#include "FileChooser.h"
#include "FileSystem.h"
#include "Prompter.h"

namespace tarvel_test {

void ResetCommGlobals()
{
    tarvel::ResetCanAdapterForTest();
    standin::ControlCanReset();
    tarvel::SetCanPort(nullptr);
    tarvel::RequestCanId = tarvel::kUdsRequestCanId;
    tarvel::TestRunning = 0;
    tarvel::UdsQuiet = 0;
    tarvel::UdsTimeoutCount = 0;
    tarvel::UdsResponseTimeoutMs = tarvel::kUdsResponseTimeoutMs;
    tarvel::ClearEcuRestart();
    tarvel::ResetUdsBuffers();
}

void ResetAllGlobals()
{
    tarvel::SetClock(nullptr);
    tarvel::SetPrompter(nullptr);
    tarvel::SetFileChooser(nullptr);
    tarvel::SetFileSystem(nullptr);
    tarvel::ResetShellGlobals();
    ResetDiagnosisGlobals();
    ResetStoredParameterGlobals();
    ResetValueCodecGlobals();
    ResetEolGlobals();
    ResetReportGlobals();
    ResetRecorderGlobals();
    ResetSettingsGlobals();
    ResetCommGlobals();
}

} // namespace tarvel_test
