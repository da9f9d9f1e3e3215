// The supply-voltage test page: Start, the measured voltage in a large
// label, and the result picture.
#pragma once

#include "EolTestPage.h"

class wxStaticBox;

class CABSEOLVoltageTest : public CEolTestPage {
public:
    static constexpr int kStartId = 1508;
    static constexpr int kGroupId = 1509;
    static constexpr int kValueLabelId = 1510;
    static constexpr int kPictureId = 1511;

    CABSEOLVoltageTest();
    bool Create(wxWindow* parent) override;

    CNILikeStatic* ValueLabel() const { return value_; }

protected:
    void RenderPage() override;

private:
    wxStaticBox* group_ = nullptr;
    CNILikeStatic* value_ = nullptr;
    std::string valueShown_;
    bool valueWritten_ = false;
};
