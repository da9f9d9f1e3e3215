#include "ScreenPicture.h"

#include "PageTour.h"

#include <wx/image.h>
#include <wx/utils.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace pagetour {

bool SaveScreenshot(wxWindow* frame, const std::filesystem::path& file, wxWindow* onTop)
{
    frame->Raise();
    if (onTop)
        onTop->Raise();
    frame->Refresh();
    frame->Update();
    // The screen shows what the windows drew once the display has caught up.
    for (int i = 0; i < 10; ++i) {
        wxMilliSleep(20);
        Settle(2);
    }
    const wxRect rect = frame->GetScreenRect();
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XImage* picture = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y,
                                static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height), AllPlanes,
                                ZPixmap);
    bool saved = false;
    if (picture) {
        wxImage image(rect.width, rect.height);
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x) {
                const unsigned long pixel = XGetPixel(picture, x, y);
                image.SetRGB(x, y, static_cast<unsigned char>((pixel >> 16) & 0xff),
                             static_cast<unsigned char>((pixel >> 8) & 0xff), static_cast<unsigned char>(pixel & 0xff));
            }
        XDestroyImage(picture);
        saved = image.SaveFile(wxString::FromUTF8(file.string()), wxBITMAP_TYPE_PNG);
    }
    XCloseDisplay(display);
    return saved;
}

} // namespace pagetour
