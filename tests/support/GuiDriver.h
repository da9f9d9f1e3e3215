// Driving the running program as the operator does: the ribbon's adapter and
// Connect, the navigation tree, button clicks, check boxes. Shared by the page
// tests that start the whole program (ProgramUnderTest.h).
#pragma once

#include "AppMessages.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include <functional>
#include <memory>
#include <vector>

namespace guidriver {

// Dispatches events until `done` holds or `rounds` passes of the event loop
// have gone by; returns whether `done` holds.
inline bool PumpUntil(const std::function<bool()>& done, int rounds = 400)
{
    for (int i = 0; i < rounds && !done(); ++i)
        wxTheApp->Yield(true);
    return done();
}

// Picks `row` of a drop-down list (a ribbon combo) as the user does.
inline void Choose(wxChoice* choice, int row)
{
    choice->SetSelection(row);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(row);
    event.SetEventObject(choice);
    choice->GetEventHandler()->ProcessEvent(event);
}

// Presses the ribbon button `id` of `bar`.
inline void Press(wxRibbonButtonBar* bar, int id)
{
    wxRibbonButtonBarEvent event(wxEVT_RIBBONBUTTONBAR_CLICKED, id, bar);
    event.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(event);
}

// Clicks `button`.
inline void Click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// Ticks or unticks the box as a click does.
inline void Toggle(wxCheckBox* box, bool ticked)
{
    box->SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetInt(ticked ? 1 : 0);
    event.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(event);
}

// The centre of the tree item that opens `page`, found by asking the
// navigation what lies under each item.
inline bool PointOfPage(CNavigation* nav, int page, wxPoint& point)
{
    wxTreeCtrl* tree = nav->Tree();
    std::vector<wxTreeItemId> pending{tree->GetRootItem()};
    while (!pending.empty()) {
        const wxTreeItemId parent = pending.back();
        pending.pop_back();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId id = tree->GetFirstChild(parent, cookie); id.IsOk();
             id = tree->GetNextChild(parent, cookie)) {
            tree->EnsureVisible(id);
            wxRect rect;
            if (tree->GetBoundingRect(id, rect, true)) {
                const wxPoint centre(rect.x + rect.width / 2, rect.y + rect.height / 2);
                const tarvel::NavItem* item = nav->ItemAt(centre);
                if (item && item->page == page) {
                    point = centre;
                    return true;
                }
            }
            pending.push_back(id);
        }
    }
    return false;
}

// Connects through the ribbon (first adapter, first bit rate).
inline bool Connect(CTarvelApp* app)
{
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    return PumpUntil([] { return EcuConnected.load() == 1; });
}

inline bool Disconnect(CTarvelApp* app)
{
    Press(app->MainFrame()->Ribbon().commButtons, ID_DISCONNECTCAN);
    return PumpUntil([] { return EcuConnected.load() == 0; });
}

// Opens `page` from the navigation tree.
inline bool Open(CTarvelApp* app, int page)
{
    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    return PointOfPage(nav, page, point) && nav->ClickAt(point) == tarvel::NavClickOutcome::Selected;
}

// A key pressed on `window`, as the toolkit first offers it (a char hook
// event, before any control sees it).
inline void PressKey(wxWindow* window, int key)
{
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// Presses Enter, keypad Enter, Escape and 'A' on `control` and answers which
// of them reached the main window `top` (the list the caller compares with;
// a page stops Enter and Escape, other keys go on up). Keys that reach `top`
// later are added to the list too.
inline std::shared_ptr<std::vector<int>> KeysReachingTheWindow(wxWindow* top, wxWindow* control)
{
    auto reached = std::make_shared<std::vector<int>>();
    top->Bind(wxEVT_CHAR_HOOK, [reached](wxKeyEvent& event) {
        reached->push_back(event.GetKeyCode());
        event.Skip();
    });
    for (int key : {int(WXK_RETURN), int(WXK_NUMPAD_ENTER), int(WXK_ESCAPE), int('A')})
        PressKey(control, key);
    return reached;
}

} // namespace guidriver
