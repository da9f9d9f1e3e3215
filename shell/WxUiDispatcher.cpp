#include "WxUiDispatcher.h"

#include <wx/app.h>
#include <wx/weakref.h>
#include <wx/window.h>

namespace tarvel {

struct WxUiDispatcher::Guard {
    explicit Guard(wxWindow* window) : guarded(window != nullptr), ref(window) {}
    const bool guarded;
    wxWeakRef<wxWindow> ref;
};

WxUiDispatcher::WxUiDispatcher(wxWindow* guard) : guard_(std::make_shared<Guard>(guard)) {}

WxUiDispatcher::~WxUiDispatcher() = default;

void WxUiDispatcher::Post(std::function<void()> work)
{
    if (!wxTheApp || !work)
        return;
    std::shared_ptr<Guard> guard = guard_;
    wxTheApp->CallAfter([guard, work = std::move(work)] {
        if (guard->guarded && !guard->ref)
            return; // the window the work was meant for has been destroyed
        work();
    });
}

} // namespace tarvel
