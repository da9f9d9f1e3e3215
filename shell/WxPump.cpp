#include "WxPump.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/thread.h>

namespace tarvel {

void WxPump::PumpPending()
{
    if (!wxThread::IsMain())
        return;
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(depth_);
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        // Waits nest (a wait inside a handler that runs inside another wait);
        // each level dispatches what is pending.
        loop->YieldFor(wxEVT_CATEGORY_ALL);
    } else if (wxTheApp) {
        wxTheApp->Yield(true);
    }
}

} // namespace tarvel
