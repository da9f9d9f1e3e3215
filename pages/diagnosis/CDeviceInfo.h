// The ECU information page's window: the Read Information button, ten name
// and value label pairs, the coloured fault status label and two further
// buttons. It shows what its logic read from the ECU.
#pragma once

#include "PageHostPage.h"

#include <array>

#include <wx/font.h>

class AppMessageEvent;
class CNILikeStatic;
class DeviceInfoLogic;
class wxButton;
class wxCommandEvent;
class wxStaticText;

class CDeviceInfo : public CTarvelPage {
public:
    static constexpr int kReadButtonId = 1274;
    static constexpr int kFirstNameLabelId = 1275;  // 1275..1284
    static constexpr int kFirstValueLabelId = 1295; // 1295..1304
    static constexpr int kStatusLabelId = 1315;
    static constexpr int kFaultMemoryButtonId = 1714;
    static constexpr int kVersionButtonId = 1716;
    static constexpr int kPairCount = 10;
    // The face the page's fonts ask for, and the one used where it is missing.
    static const wxString kFontFace;

    CDeviceInfo();
    bool Create(wxWindow* parent) override;

    wxButton* ReadButton() const { return read_; }
    wxStaticText* NameLabel(int i) const { return names_[static_cast<size_t>(i)]; }
    wxStaticText* ValueLabel(int i) const { return values_[static_cast<size_t>(i)]; }
    CNILikeStatic* StatusLabel() const { return status_; }
    wxButton* FaultMemoryButton() const { return faultMemory_; }
    wxButton* VersionButton() const { return version_; }
    // The value label of the first pair (the system supplier in the shipped file).
    wxStaticText* SupplierLabel() const { return values_[0]; }
    const wxFont& LargeFont() const { return largeFont_; }

protected:
    void RenderState() override;

private:
    void OnReadButton(wxCommandEvent& event);
    void OnReload(AppMessageEvent& event);

    wxButton* read_ = nullptr;
    std::array<wxStaticText*, kPairCount> names_{};
    std::array<wxStaticText*, kPairCount> values_{};
    CNILikeStatic* status_ = nullptr;
    wxButton* faultMemory_ = nullptr;
    wxButton* version_ = nullptr;
    wxFont largeFont_;
    wxFont labelFont_;
};
