// The program's UI dispatcher: posted work runs on the UI thread when it next
// dispatches events, and is dropped when the guarding window is gone by then.
#pragma once

#include "UiDispatcher.h"

class wxWindow;

namespace tarvel {

class WxUiDispatcher : public UiDispatcher {
public:
    // `guard` may be null: then posted work runs while the application lives.
    explicit WxUiDispatcher(wxWindow* guard = nullptr) : guard_(guard) {}
    void SetGuard(wxWindow* guard) { guard_ = guard; }
    void Post(std::function<void()> work) override;

private:
    wxWindow* guard_;
};

} // namespace tarvel
