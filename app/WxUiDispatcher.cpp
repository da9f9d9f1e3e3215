#include "WxUiDispatcher.h"

#include <wx/app.h>
#include <wx/weakref.h>
#include <wx/window.h>

namespace tarvel {

void WxUiDispatcher::Post(std::function<void()> work)
{
    if (!wxTheApp || !work)
        return;
    const bool guarded = guard_ != nullptr;
    wxWeakRef<wxWindow> window(guard_);
    wxTheApp->CallAfter([window, guarded, work = std::move(work)] {
        if (guarded && !window)
            return; // the window the work was meant for has been destroyed
        work();
    });
}

} // namespace tarvel
