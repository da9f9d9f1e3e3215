// The trip browser's decisions. It shows one trip of the recorder's ring at a
// time, from what the recorder page has read and decoded (OdrTrips and the
// ring position in RecorderGlobals.h); it never talks to the ECU. Oldest,
// Previous, Next and Latest step through the trips; the go button jumps to
// the trip whose number is in the number field. Trip numbers run from 1 (the
// oldest) to OdrTripCount (the newest); OdrTripSlotOfNumber maps them to ring
// slots.
#pragma once

#include "PageLogic.h"
#include "RecorderGlobals.h"
#include "WindowRegistry.h"

#include <cstdint>
#include <string>
#include <vector>

// What the trip browser shows.
struct ODR_Trip_InfoState {
    // Captions of Oldest, Previous, Next, Latest and the go button.
    std::string oldestCaption = "Oldest";
    std::string previousCaption = "Previous";
    std::string nextCaption = "Next";
    std::string latestCaption = "Latest";
    std::string goCaption = "Next";
    // Column headers of the list (Chinese for language 0, else English).
    std::vector<std::string> headers;
    // The rows of the trip shown.
    OdrTrip rows;
    // The number field: its text is written into the edit each time
    // editWrites grows (after a navigation), never in between, so what the
    // user typed stays until a navigation replaces it.
    std::string editText = "0";
    int editWrites = 0;
    // The count label: "/" and the trip count, empty until the first count.
    std::string countText;
    uint32_t countColour = 0x803400;
};

// The ring slot of trip number n: n - 1 while the ring has not wrapped (fewer
// than 600 trips, the oldest in slot 0), else (n + newest slot) modulo 600
// (number 1 is the slot after the newest, number 600 the newest itself).
int32_t OdrTripSlotOfNumber(int64_t number, int32_t tripCount, int32_t newestSlot);

// The number field read as a decimal number: leading blanks and a sign are
// allowed, reading stops at the first other character, no digits give 0.
// Numbers beyond 32 bits come back as they are (the caller compares them with
// the trip count).
int64_t ParseTripNumber(const std::string& text);

class ODR_Trip_InfoLogic : public tarvel::PageLogic {
public:
    static constexpr int kRingSlots = 600;
    static constexpr uint32_t kCountColour = 0x803400;
    // Language rows.
    static constexpr int kRowPageCaption = 373;
    static constexpr int kRowOldest = 374;
    static constexpr int kRowPrevious = 375;
    static constexpr int kRowNext = 376;
    static constexpr int kRowLatest = 377;
    static constexpr int kRowGo = 401;
    static constexpr int kRowNotConnected = 75;
    static constexpr int kRowNotConnectedCaption = 74;
    static constexpr int kRowNoTrips = 402;
    static constexpr int kRowEmptyNumber = 403;
    static constexpr int kRowErrorCaption = 76;

    // Registers the page as OdrTripDialogWnd, which the recorder page tells
    // after each trip-count read.
    explicit ODR_Trip_InfoLogic(const tarvel::PageContext& context);
    ~ODR_Trip_InfoLogic() override;

    const ODR_Trip_InfoState& State() const { return state_; }
    // The number of the trip shown (1 = oldest), 0 until the first navigation.
    int32_t ShownTripNumber() const { return shownTripNumber_; }

    // WM_LANG_ODRTRIP: the button captions.
    void OnLanguageChanged() override;
    // The trips belonged to the ECU of the closed link; a new link and a
    // definition reload start from an empty page as well.
    void OnDisconnected() override;
    void OnConnected() override;
    void OnResetForNewRun() override;

    void ShowOldestTrip();
    void ShowPreviousTrip();
    void ShowNextTrip();
    void ShowLatestTrip();
    // The go button, with the text of the number field.
    void GoToTrip(const std::string& editText);
    // WM_ODRTRIP_RELOAD: the count label.
    void ShowTripCountLabel();
    // Fills the list with one trip's rows.
    void ShowOdrTrip(const OdrTrip& trip);
    void RelabelTripPage();

private:
    // The messages the recorder page sends to OdrTripDialogWnd.
    class Messages : public tarvel::MessageTarget {
    public:
        explicit Messages(ODR_Trip_InfoLogic& logic) : logic_(logic) {}
        bool HandleAppMessage(int message) override;

    private:
        ODR_Trip_InfoLogic& logic_;
    };

    void ClearPage();
    // Link up and trips held; otherwise its box and false.
    bool Guard();
    // Shows `slot` as trip `number` when the slot is one of the trips held;
    // otherwise nothing changes.
    void Show(int32_t slot, int32_t number);
    void Box(int row, const char* fallback, int captionRow, const char* captionFallback);

    ODR_Trip_InfoState state_;
    int32_t shownTripNumber_ = 0;
    Messages messages_{*this};
};
