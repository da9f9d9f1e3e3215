#include "ODR_Trip_InfoLogic.h"

#include "AppMessages.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include <cctype>
#include <cstdio>
#include <limits>

int32_t OdrTripSlotOfNumber(int64_t number, int32_t tripCount, int32_t newestSlot)
{
    constexpr int64_t slots = ODR_Trip_InfoLogic::kRingSlots;
    if (tripCount < slots) {
        const int64_t slot = number - 1;
        if (slot < std::numeric_limits<int32_t>::min() || slot > std::numeric_limits<int32_t>::max())
            return -1;
        return static_cast<int32_t>(slot);
    }
    const int64_t slot = ((number % slots) + (newestSlot % slots) + 2 * slots) % slots;
    return static_cast<int32_t>(slot);
}

int64_t ParseTripNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Digits beyond what 64 bits hold keep the number at its largest: it is
    // above any trip count all the same.
    constexpr int64_t cap = std::numeric_limits<int64_t>::max() / 10 - 10;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value < cap)
            value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

bool ODR_Trip_InfoLogic::Messages::HandleAppMessage(int message)
{
    if (message == WM_ODRTRIP_RELOAD) {
        logic_.ShowTripCountLabel();
        return true;
    }
    if (message == WM_LANG_ODRTRIP) {
        logic_.RelabelTripPage();
        return true;
    }
    return false;
}

ODR_Trip_InfoLogic::ODR_Trip_InfoLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabOdrTrip, context)
{
    if (Context().texts.Language() == 0)
        state_.headers = {"序号", "参数名称", "数值", "单位", "描述"};
    else
        state_.headers = {"No.", "Parameter Name", "Value", "Unit", "Description"};
    RelabelTripPage();
    OdrTripDialogWnd = &messages_;
}

ODR_Trip_InfoLogic::~ODR_Trip_InfoLogic()
{
    if (OdrTripDialogWnd == &messages_)
        OdrTripDialogWnd = nullptr;
}

void ODR_Trip_InfoLogic::OnLanguageChanged() { RelabelTripPage(); }

void ODR_Trip_InfoLogic::OnDisconnected()
{
    ResetOdrTripState();
    ClearPage();
}

void ODR_Trip_InfoLogic::OnConnected() { ClearPage(); }

void ODR_Trip_InfoLogic::OnResetForNewRun() { ClearPage(); }

void ODR_Trip_InfoLogic::ClearPage()
{
    // No trip of an earlier ECU stays on the page: the list, the number
    // field and the count label are empty until the next read.
    shownTripNumber_ = 0;
    state_.rows.clear();
    state_.editText = "0";
    ++state_.editWrites;
    state_.countText.clear();
    Changed();
}

void ODR_Trip_InfoLogic::RelabelTripPage()
{
    const tarvel::TextTable& t = Context().texts;
    state_.oldestCaption = t.Text(kRowOldest, "Oldest");
    state_.previousCaption = t.Text(kRowPrevious, "Previous");
    state_.nextCaption = t.Text(kRowNext, "Next");
    state_.latestCaption = t.Text(kRowLatest, "Latest");
    state_.goCaption = t.Text(kRowGo, "Next");
    Changed();
}

void ODR_Trip_InfoLogic::ShowTripCountLabel()
{
    char text[16];
    std::snprintf(text, sizeof text, "/%d", static_cast<int>(OdrTripCount));
    state_.countText = text;
    // Green first, as every such label, then the page's own blue.
    state_.countColour = kCountColour;
    Changed();
}

void ODR_Trip_InfoLogic::Box(int row, const char* fallback, int captionRow, const char* captionFallback)
{
    const tarvel::TextTable& t = Context().texts;
    Context().prompter.Show(t.Text(row, fallback), t.Text(captionRow, captionFallback), tarvel::MsgIcon::Exclamation,
                            tarvel::MsgButtons::Ok);
}

bool ODR_Trip_InfoLogic::Guard()
{
    // Trips held in memory are not shown while the link is down.
    if (EcuConnected != 1) {
        Box(kRowNotConnected, "Please connect the ECU first", kRowNotConnectedCaption, "Tips");
        return false;
    }
    if (OdrTrips.empty()) {
        Box(kRowNoTrips, "No trip has been read", kRowErrorCaption, "Error");
        return false;
    }
    return true;
}

void ODR_Trip_InfoLogic::ShowOdrTrip(const OdrTrip& trip)
{
    state_.rows = trip;
    Changed();
}

void ODR_Trip_InfoLogic::Show(int32_t slot, int32_t number)
{
    // A slot outside the trips held (nothing shown yet, a ring position
    // unknown after a failed read, a read that stopped early) shows nothing
    // and changes nothing.
    if (slot < 0 || static_cast<size_t>(slot) >= OdrTrips.size())
        return;
    OdrShownTrip = slot;
    shownTripNumber_ = number;
    state_.rows = OdrTrips[static_cast<size_t>(slot)];
    state_.editText = std::to_string(number);
    ++state_.editWrites;
    Changed();
}

void ODR_Trip_InfoLogic::ShowOldestTrip()
{
    if (!Guard())
        return;
    Show(OdrOldestTrip, 1);
}

void ODR_Trip_InfoLogic::ShowLatestTrip()
{
    if (!Guard())
        return;
    Show(OdrNewestTrip, OdrTripCount);
}

void ODR_Trip_InfoLogic::ShowPreviousTrip()
{
    if (!Guard())
        return;
    if (OdrShownTrip == -1) {
        Show(OdrNewestTrip, OdrTripCount);
        return;
    }
    const int32_t number = shownTripNumber_ - 1 < 1 ? 1 : shownTripNumber_ - 1;
    int32_t slot = 0;
    if (OdrTripCount < kRingSlots)
        slot = OdrShownTrip - 1 < 0 ? 0 : OdrShownTrip - 1;
    else
        slot = OdrTripSlotOfNumber(number, OdrTripCount, OdrNewestTrip);
    Show(slot, number);
}

void ODR_Trip_InfoLogic::ShowNextTrip()
{
    if (!Guard())
        return;
    if (OdrShownTrip == -1) {
        Show(OdrNewestTrip, OdrTripCount);
        return;
    }
    const int32_t number = shownTripNumber_ + 1 > OdrTripCount ? OdrTripCount : shownTripNumber_ + 1;
    int32_t slot = 0;
    if (OdrTripCount < kRingSlots)
        slot = OdrShownTrip + 1 > OdrTripCount - 1 ? OdrTripCount - 1 : OdrShownTrip + 1;
    else
        slot = OdrTripSlotOfNumber(number, OdrTripCount, OdrNewestTrip);
    Show(slot, number);
}

void ODR_Trip_InfoLogic::GoToTrip(const std::string& editText)
{
    if (!Guard())
        return;
    if (editText.empty()) {
        Box(kRowEmptyNumber, "Please enter a trip number", kRowErrorCaption, "Error");
        // The trip shown is shown again; the field stays as it is.
        if (OdrShownTrip >= 0 && static_cast<size_t>(OdrShownTrip) < OdrTrips.size())
            ShowOdrTrip(OdrTrips[static_cast<size_t>(OdrShownTrip)]);
        return;
    }
    const int64_t n = ParseTripNumber(editText);
    if (n > OdrTripCount || n <= 0) {
        Show(OdrNewestTrip, OdrTripCount); // outside the trips: the newest
        return;
    }
    Show(OdrTripSlotOfNumber(n, OdrTripCount, OdrNewestTrip), static_cast<int32_t>(n));
}
