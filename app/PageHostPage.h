// Base of every function page hosted by the view: a panel created as a child
// of the page host, at its fixed tab index, that answers its activate and
// language-refresh messages. Pages are heap objects owned by their parent
// window; anything else holds only non-owning pointers to them.
//
// Each page has its window-free logic (owned by the view's page set): the page
// forwards its activate and language messages to it and renders the logic's
// state whenever the logic reports a change.
#pragma once

#include "AppMessagesEvent.h"
#include "PageLogic.h"
#include "PageHostTable.h"
#include "WindowRegistry.h"

#include <wx/panel.h>

class wxStaticText;

class CTarvelPage : public wxPanel, public tarvel::MessageTarget {
public:
    // `tab` picks the page's row of the page table; pages that others reach by
    // a stored handle name their registry slot.
    explicit CTarvelPage(int tab, tarvel::WindowSlot slot = tarvel::WindowSlot::Count);
    ~CTarvelPage() override;

    // Creates the page window as a child of `parent`; false when that fails.
    virtual bool Create(wxWindow* parent);

    bool HandleAppMessage(int message) override { return SendAppMessage(this, message); }

    const tarvel::PageSpec& Spec() const { return spec_; }
    // The tab caption in the current language (the built-in English title
    // while the language table has no text for the row).
    wxString Caption() const;
    // How often an activate message reached the page, and the last one.
    int ActivationCount() const { return activations_; }
    int LastActivateMessage() const { return lastActivate_; }
    int LanguageRefreshCount() const { return languageRefreshes_; }
    // The page's title line (its caption in the page's large bold font).
    wxStaticText* TitleControl() const { return title_; }

    // Connects the page to its logic (not owned; it must outlive the page, or
    // be detached with null first) and renders its state once.
    void AttachLogic(tarvel::PageLogic* logic);
    tarvel::PageLogic* Logic() const { return logic_; }
    // The logic as the page's own logic class, null when it is another.
    template <class L>
    L* LogicAs() const
    {
        return dynamic_cast<L*>(logic_);
    }

protected:
    // Prepares the page for a new run; called for each activate message.
    virtual void OnActivatePage(int message);
    // Re-captions the page from the language table.
    virtual void OnRefreshLanguage();
    // Shows the logic's state in the controls; called after every change the
    // logic reports. The only place a page writes its controls from state.
    virtual void RenderState() {}

private:
    void OnAppMessage(AppMessageEvent& event);
    void OnPaintPage(class wxPaintEvent& event);

    const tarvel::PageSpec& spec_;
    tarvel::WindowSlot slot_;
    wxStaticText* title_ = nullptr;
    int activations_ = 0;
    int lastActivate_ = 0;
    int languageRefreshes_ = 0;
    tarvel::PageLogic* logic_ = nullptr;
    bool laidOutWhenShown_ = false;
};
