#include "CDeviceInfo.h"

#include "DeviceInfoLogic.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

CDeviceInfo::CDeviceInfo() : CTarvelPage(tarvel::TabDeviceInfo, tarvel::WindowSlot::DeviceInfoPage) {}

bool CDeviceInfo::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    supplier_ = new wxStaticText(this, kSupplierLabelId, wxString());
    GetSizer()->Add(supplier_, 0, wxLEFT | wxRIGHT, 12);
    RenderState();
    return true;
}

void CDeviceInfo::RenderState()
{
    const DeviceInfoLogic* logic = LogicAs<DeviceInfoLogic>();
    if (!supplier_ || !logic)
        return;
    supplier_->SetLabel(wxString::FromUTF8(logic->State().supplierId));
}
