// Base of every function page hosted by the view: a panel created as a child
// of the page host, at its fixed tab index, that answers its activate and
// language-refresh messages. Pages are heap objects owned by their parent
// window; anything else holds only non-owning pointers to them.
//
// Each page has its window-free logic (owned by the view's page set): the page
// forwards its activate and language messages to it and renders the logic's
// state whenever the logic reports a change.
//
// A page lays itself out in sizers to the width of its tab: a page taller
// than its tab scrolls up and down (never sideways) and opens at its top.
// Whenever the width or a text of the page changes, the page's texts are fitted
// to the width again (by the text fitter the program installs) and the page is
// laid out anew.
#pragma once

#include "AppMessagesEvent.h"
#include "PageLogic.h"
#include "PageHostTable.h"
#include "WindowRegistry.h"

#include <wx/scrolwin.h>

#include <functional>
#include <string>

class wxStaticText;

class CTarvelPage : public wxScrolledWindow, public tarvel::MessageTarget {
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

    // What fits a page's texts to its client width and lays the page out
    // (the wrapping controls' pass); without one the page is only laid out.
    using TextFitter = std::function<void(wxWindow* page, int width)>;
    static void SetTextFitter(TextFitter fitter);
    // The space left free at a page's sides, in pixels.
    static constexpr int kMargin = 12;
    // How far one step of the scroll bar moves a page, in pixels.
    static constexpr int kScrollStep = 16;

    // A list or grid that takes what room its page leaves it (added to the
    // page's sizer with a proportion): it asks for no more than a few rows
    // and a narrow width, and shows the rest by scrolling itself, so it never
    // pushes its page's buttons out of view.
    static void FillWithList(wxWindow* list);
    static constexpr int kListLeastWidth = 160;
    static constexpr int kListLeastHeight = 150;

    // Fits the texts and lays the page out when its width or one of its
    // texts, fonts or shown controls changed since the last time.
    void SettleLayout();
    // Fits and lays out whatever changed.
    void RelayoutNow();

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
    void OnIdlePage(class wxIdleEvent& event);
    void OnSizePage(class wxSizeEvent& event);
    void OnShowPage(class wxShowEvent& event);
    // The page's width, texts, fonts and shown controls in one string.
    std::string LayoutSignature() const;
    // Never wider than the client area: the page scrolls only up and down.
    void DoSetVirtualSize(int x, int y) override;
    // A control that takes the focus from a click stays where it is (the
    // click must land on it); one reached by the keyboard is scrolled into
    // view.
    bool ShouldScrollToChildOnFocus(wxWindow* child) override;

    const tarvel::PageSpec& spec_;
    tarvel::WindowSlot slot_;
    wxStaticText* title_ = nullptr;
    int activations_ = 0;
    int lastActivate_ = 0;
    int languageRefreshes_ = 0;
    tarvel::PageLogic* logic_ = nullptr;
    int remeasuresLeft_ = 0;
    static constexpr int kRemeasures = 20;
    bool settling_ = false;
    std::string laidOutFor_;
};
