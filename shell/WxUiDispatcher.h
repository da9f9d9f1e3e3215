// The program's UI dispatcher: posted work runs on the UI thread when it next
// dispatches events, and is dropped when the guarding window is gone by then.
#pragma once

#include "UiDispatcher.h"

#include <memory>

class wxWindow;

namespace tarvel {

class WxUiDispatcher : public UiDispatcher {
public:
    // Made on the UI thread. `guard` may be null: then posted work runs
    // while the application lives.
    explicit WxUiDispatcher(wxWindow* guard = nullptr);
    ~WxUiDispatcher() override;
    // Callable from any thread.
    void Post(std::function<void()> work) override;

private:
    // The weak reference lives on the UI thread only: it is made here and
    // read by the posted work; other threads merely copy the pointer.
    struct Guard;
    std::shared_ptr<Guard> guard_;
};

} // namespace tarvel
