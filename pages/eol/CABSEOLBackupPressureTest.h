// The backup-pressure test page: Start and Exit Test, the desired, left and
// right pressures, the two EBS-D pressures ("4S3M" only) and the result
// picture.
#pragma once

#include "EolBackupPressureLogic.h"
#include "EolTestPage.h"

#include <array>
#include <string>

class wxStaticBox;

class CABSEOLBackupPressureTest : public CEolTestPage {
public:
    static constexpr int kStartId = 1520;
    static constexpr int kExitId = 1521;
    static constexpr int kPictureId = 1525;
    // Labels and frames of channels 1 to 5.
    static constexpr std::array<int, kBackupChannels> kLabelIds = {1522, 1523, 1524, 1527, 1526};
    static constexpr std::array<int, kBackupChannels> kFrameIds = {1247, 1248, 1479, 1249, 1480};

    CABSEOLBackupPressureTest();
    bool Create(wxWindow* parent) override;

    CNILikeStatic* ValueLabel(int channel) const { return labels_[static_cast<size_t>(channel)]; }
    wxStaticBox* Frame(int channel) const { return frames_[static_cast<size_t>(channel)]; }
    std::string ValueText(int channel) const { return shown_[static_cast<size_t>(channel)]; }

protected:
    void RenderPage() override;

private:
    // BackupPressureFont: every value label is written in it.
    wxFont BackupPressureFont;
    std::array<CNILikeStatic*, kBackupChannels> labels_{};
    std::array<wxStaticBox*, kBackupChannels> frames_{};
    std::array<std::string, kBackupChannels> shown_{};
    std::array<bool, kBackupChannels> written_{};
    bool ebsdShown_ = true;
};
