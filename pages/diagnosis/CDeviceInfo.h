// The ECU information page's window: shows what its logic read from the ECU.
#pragma once

#include "PageHostPage.h"

class DeviceInfoLogic;
class wxStaticText;

class CDeviceInfo : public CTarvelPage {
public:
    // Window id of the label that shows the supplier identifier.
    static constexpr int kSupplierLabelId = 0x7A01;

    CDeviceInfo();
    bool Create(wxWindow* parent) override;

    wxStaticText* SupplierLabel() const { return supplier_; }

protected:
    void RenderState() override;

private:
    wxStaticText* supplier_ = nullptr;
};
