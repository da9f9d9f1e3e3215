// The brake-pressure test page: Start and Exit Test, the four value labels
// of items 1 to 4 in their frames, the four EBS-D labels ("4S3M" only) and
// the result picture.
#pragma once

#include "EolBrakePressureLogic.h"
#include "EolTestPage.h"

#include <array>
#include <string>

class wxStaticBox;

class CABSEOLPressureTest : public CEolTestPage {
public:
    static constexpr int kStartId = 1512;
    static constexpr int kExitId = 1518;
    static constexpr int kPictureId = 1513;
    // Value labels and their frames, in the logic's slot order.
    static constexpr std::array<int, kBrakePressureSlots> kLabelIds = {1514, 1515, 1516, 1517,
                                                                       1520, 1521, 1522, 1523};
    static constexpr std::array<int, kBrakePressureSlots> kFrameIds = {1247, 1479, 1248, 1303,
                                                                       1249, 1480, 1250, 1304};

    CABSEOLPressureTest();
    bool Create(wxWindow* parent) override;

    CNILikeStatic* ValueLabel(int slot) const { return labels_[static_cast<size_t>(slot)]; }
    wxStaticBox* Frame(int slot) const { return frames_[static_cast<size_t>(slot)]; }
    // The text a value label shows.
    std::string ValueText(int slot) const { return shown_[static_cast<size_t>(slot)]; }

protected:
    void RenderPage() override;

private:
    // PressureValueFont: every value label is written in it.
    wxFont PressureValueFont;
    std::array<CNILikeStatic*, kBrakePressureSlots> labels_{};
    std::array<wxStaticBox*, kBrakePressureSlots> frames_{};
    std::array<std::string, kBrakePressureSlots> shown_{};
    std::array<bool, kBrakePressureSlots> written_{};
    bool ebsdShown_ = true;
};
