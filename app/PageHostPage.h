// Base of every function page hosted by the view: a panel created as a child
// of the page host, at its fixed tab index, that answers its activate and
// language-refresh messages. Pages are heap objects owned by their parent
// window; anything else holds only non-owning pointers to them.
#pragma once

#include "AppMessagesEvent.h"
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

protected:
    // Prepares the page for a new run; called for each activate message.
    virtual void OnActivatePage(int message);
    // Re-captions the page from the language table.
    virtual void OnRefreshLanguage();

private:
    void OnAppMessage(AppMessageEvent& event);

    const tarvel::PageSpec& spec_;
    tarvel::WindowSlot slot_;
    wxStaticText* title_ = nullptr;
    int activations_ = 0;
    int lastActivate_ = 0;
    int languageRefreshes_ = 0;
};
