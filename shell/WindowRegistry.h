// The windows that pages reach by a stored handle (the lifting-axle, download,
// device-information and system-tag pages, the navigation dialog, the
// parameters and monitor pages). The registry holds non-owning pointers; a
// target removes itself when it is destroyed, so a message to a page that is
// gone (or was never created) is simply not delivered.
#pragma once

namespace tarvel {

// Anything that can receive one of the program's messages (AppMessages.h).
class MessageTarget {
public:
    MessageTarget() = default;
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;
    virtual ~MessageTarget(); // forgets every slot that points here
    // Handles the message synchronously; true when someone handled it.
    virtual bool HandleAppMessage(int message) = 0;
};

enum class WindowSlot {
    LiftingAxlePage,
    DownloadPage,
    DeviceInfoPage,
    SystemTagDialog,
    Navigation,
    ParameterPage,
    MonitorPage,
    Count
};

void RegisterWindow(WindowSlot slot, MessageTarget* target);
MessageTarget* FindRegisteredWindow(WindowSlot slot);
// Clears every slot that holds this target.
void ForgetWindow(MessageTarget* target);
// Sends the message to the slot's window; false when nothing is registered or
// nothing handled it.
bool SendToRegisteredWindow(WindowSlot slot, int message);

} // namespace tarvel

// The stored handles under their program-wide names.
inline tarvel::MessageTarget* LiftingAxlePageWnd() { return tarvel::FindRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage); }
inline tarvel::MessageTarget* DownloadPageWnd() { return tarvel::FindRegisteredWindow(tarvel::WindowSlot::DownloadPage); }
inline tarvel::MessageTarget* DeviceInfoPageWnd() { return tarvel::FindRegisteredWindow(tarvel::WindowSlot::DeviceInfoPage); }
inline tarvel::MessageTarget* SystemTagDialogWnd() { return tarvel::FindRegisteredWindow(tarvel::WindowSlot::SystemTagDialog); }
inline tarvel::MessageTarget* NavigationDlg() { return tarvel::FindRegisteredWindow(tarvel::WindowSlot::Navigation); }
