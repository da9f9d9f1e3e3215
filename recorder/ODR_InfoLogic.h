// The recorder page's decisions. "Read Information" reads the recorder's
// information record (DID 0x0042) into the page's list and then every trip
// of the ECU's 600-slot ring (DID 0x0047, stepped by the ECU after routine
// 0xC00A names the first slot), decoded into OdrTrips for the trip browser
// and the export. Selecting the page refreshes the trip count and with it
// whether the trip browser's tab is shown.
#pragma once

#include "PageLogic.h"
#include "OdrExportDocument.h"
#include "RecorderGlobals.h"

#include <cstdint>
#include <string>
#include <vector>

// What the recorder page shows.
struct ODR_InfoState {
    std::string readCaption;
    std::string exportCaption;
    // Column headers of the list (Chinese for language 0, else English).
    std::vector<std::string> headers;
    std::vector<_tagODRFilldesc_> rows;
    bool exportEnabled = false;
    bool reading = false; // both buttons disabled
    // Progress bar and percentage label.
    bool progressShown = false;
    int progressMax = 0;
    int progressPos = 0;
    std::string percentText = "0%";
    uint32_t percentColour = 0x803400;
    // Whether the trip browser's tab is shown, applied by the window each
    // time tripTabRequests grows.
    bool tripTabShown = false;
    int tripTabRequests = 0;
};

class ODR_InfoLogic : public tarvel::PageLogic {
public:
    static constexpr int kRingSlots = 600;
    // A failing trip read restarts the sequence at most this often in a row.
    static constexpr int kMaxRestarts = 3;
    static constexpr uint32_t kTripPauseMs = 10;
    // OdrReadPosition while a read of the trips is under way: no slot.
    static constexpr int32_t kReadPositionPending = -2;
    static constexpr uint32_t kPercentColour = 0x803400;
    // Language rows.
    static constexpr int kRowReadButton = 378;
    static constexpr int kRowExportButton = 372;
    static constexpr int kRowErrorCaption = 76;
    static constexpr int kRowReadFailed = 82;
    static constexpr int kRowSecurityFailed = 429;
    static constexpr int kRowTripCountFailed = 451;
    static constexpr int kRowInfoFailed = 452;
    static constexpr int kRowExportNotReady = 402;
    static constexpr int kRowExportSaved = 179;
    static constexpr int kRowExportNotSaved = 180;
    static constexpr int kRowNewContentKept = 681;
    static constexpr int kRowTipsCaption = 74;

    explicit ODR_InfoLogic(const tarvel::PageContext& context);
    // Empties the definition tables and the trips.
    ~ODR_InfoLogic() override;

    const ODR_InfoState& State() const { return state_; }

    // WM_ACTIVATE_ODRINFO: the trip count and the trip browser's tab.
    void OnActivate(int message) override;
    void OnLanguageChanged() override;
    // A definition reload, a new link and a closed link each leave the page
    // empty and Export refused until the next read.
    void OnResetForNewRun() override;
    void OnConnected() override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // The Read Information button. Ignored while a read runs.
    void ReadOdrInformation();
    // The Export button: the ".TSO" file of everything the read collected.
    void ExportOdrData();
    // Reads the trip count (DID 0x004A); tells the trip browser; shows the
    // progress controls when there are trips. False when it was not read.
    bool ReadOdrTripCount();
    // Reads the newest ring slot (DID 0x0048) and works out the oldest.
    bool ReadOdrRingPosition();
    // Keeps the value of an information sub-field the export needs, found by
    // its name.
    void CaptureOdrInfoValue(const std::string& name, const std::string& value);
    // Shows `rows` in the list.
    void FillOdrInfoList(const std::vector<_tagODRFilldesc_>& rows);
    // Reloads the information definitions.
    void LoadOdrParameterConfig();

    // Whether every counted trip has been read (the next press reads only
    // the information record).
    static bool TripsHeld();

private:
    enum class Run { Done, Restart };
    Run RunSequence(int& restarts);
    // After every wait: false once the read must end (stop, page switch,
    // link gone).
    bool GoOn() const;
    // One decoded trip from its reply; box 77 once per read for the trips.
    OdrTrip DecodeTrip(const std::vector<uint8_t>& reply);
    void ForgetRing();
    void ForgetEcu();
    void Box(int row, const char* fallback, tarvel::MsgIcon icon);
    void Box(int row, const char* fallback, int captionRow, const char* captionFallback, tarvel::MsgIcon icon);
    std::string Text(int row, const char* fallback) const;
    void RefreshCaptions();

    ODR_InfoState state_;
    bool stop_ = false;
    // The unknown-type box, once per read for the information record and
    // once for the trips.
    bool infoTypeBoxShown_ = false;
    bool tripTypeBoxShown_ = false;
};
