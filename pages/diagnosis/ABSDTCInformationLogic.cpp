#include "ABSDTCInformationLogic.h"

#include "DiagnosisGlobals.h"
#include "FailureTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <string>

namespace {

const char* const kCountUnreadableText = "Error reading DTC number";
// The status field of the fault text's "no records" entry.
const char* const kNoFaultField = "No Fault";

} // namespace

ABSDTCInformationLogic::ABSDTCInformationLogic(const tarvel::PageContext& context)
    : PageLogic(kTab, context), timer_(context.timers.Create([this] { OnDtcTimer(); }))
{
    SetCaptions();
}

ABSDTCInformationLogic::~ABSDTCInformationLogic()
{
    timer_->Stop();
    DtcNumbers.clear();
    DtcDisplays.clear();
    DtcMeanings.clear();
}

void ABSDTCInformationLogic::SetCaptions()
{
    const tarvel::TextTable& texts = Context().texts;
    state_.readDtcCaption = texts.Text(kRowReadDtc, "Read DTC");
    state_.clearDtcCaption = texts.Text(kRowClearDtc, "Clear DTC");
    state_.clearContentsCaption = texts.Text(kRowClearContents, "Clear Contents");
}

void ABSDTCInformationLogic::OnLanguageChanged()
{
    SetCaptions();
    Changed();
}

void ABSDTCInformationLogic::OnResetForNewRun()
{
    LoadFailureTable();
}

void ABSDTCInformationLogic::LoadFailureTable()
{
    ::LoadFailureTable();
}

void ABSDTCInformationLogic::OnDisconnected()
{
    OnStopWork();
    // Nothing read from that ECU stays on show.
    state_.lines.clear();
    Changed();
}

void ABSDTCInformationLogic::OnStopWork()
{
    DtcReadPending = 0;
    timer_->Stop();
}

bool ABSDTCInformationLogic::Stopped() const
{
    return EcuConnected.load() != 1 || DtcReadPending != 1;
}

void ABSDTCInformationLogic::OnReadDtc()
{
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    // The periodic reads keep the session alive in place of the keep-alive.
    tarvel::TestRunning = 1;
    DtcReadPending = 1;
    if (ReadDtcList() == 1 && !Stopped())
        timer_->Start(kRefreshPeriodMs);
}

void ABSDTCInformationLogic::OnDtcTimer()
{
    if (DtcReadPending != 1) {
        timer_->Stop();
        return;
    }
    if (reading_ || tarvel::UdsRequestInFlight())
        return; // the link is busy; the next tick reads
    if (ReadDtcList() == 0)
        timer_->Stop();
}

void ABSDTCInformationLogic::OnClearDtc()
{
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    tarvel::TestRunning = 0;
    const bool cleared = tarvel::UdsClearDtc() == 1;
    if (EcuConnected.load() != 1)
        return;
    if (cleared) {
        state_.lines.clear();
        state_.lines.push_back(Context().texts.Text(kRowCleared, "Fault memory cleared"));
    } else {
        state_.lines.push_back(Context().texts.Text(kRowClearFailed, "Failed to clear the fault memory"));
    }
    Changed();
}

void ABSDTCInformationLogic::OnClearContents()
{
    state_.lines.clear();
    Changed();
}

int ABSDTCInformationLogic::ReadDtcList()
{
    if (reading_)
        return 0;
    reading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{reading_};

    state_.lines.clear();
    Changed();

    const int count = tarvel::UdsReadDtcCount(kStatusMask);
    if (Stopped())
        return 0;
    if (count == tarvel::kUdsNoDtcCount) {
        timer_->Stop();
        state_.lines.push_back(kCountUnreadableText);
        Changed();
        return 0;
    }

    const std::string text = tarvel::UdsReadDtcByStatus(kStatusMask);
    if (Stopped())
        return 0;
    int records = 0;
    for (const std::vector<std::string>& fields : SplitDtcFaultText(text)) {
        ++records; // a record without a status word still takes its number
        if (fields.size() < 2)
            continue;
        if (fields[1] == kNoFaultField)
            state_.lines.push_back(Context().texts.Text(kRowNoFault, "No Fault"));
        else
            state_.lines.push_back(std::to_string(records) + ". " + LookupDtcText(fields[0], fields[1]));
    }
    Changed();
    return records > 0 ? 1 : 0;
}
