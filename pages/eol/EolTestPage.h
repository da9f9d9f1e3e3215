// The window half every end-of-line test page shares: Start / Exit Test and
// the YES/NO pair wired to the page's EolPageLogic, the result pictures
// (bitmaps 421 failed, 423 passed, 424 idle, loaded from
// "EolBitmaps/<n>.png" beside the program), the value labels written in the
// pages' three steps, the page fonts, and Enter / Escape swallowed so they
// never close or trigger anything.
//
// A page derives from CEolTestPage, builds its controls in Create() with the
// Add... helpers (ids as the page's table gives them), and draws its own
// state in RenderPage(); the common state (buttons, captions, pictures, the
// question) is drawn here before it.
#pragma once

#include "AxlePreview.h"
#include "EolPageLogic.h"
#include "PageHostPage.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <wx/bitmap.h>
#include <wx/font.h>

class CNILikeStatic;
class wxButton;
class wxSizer;
class wxStaticBitmap;
class wxStaticBox;
class wxStaticBoxSizer;
class wxStaticText;
class wxKeyEvent;

// A page font: the face and the height in pixels, weight normal.
struct EolPageFontSpec {
    const char* face;
    int height;
};
// The page fonts.
constexpr EolPageFontSpec kEolVoltageFont{"黑体", 70};
constexpr EolPageFontSpec kEolDtcFont{"黑体", 35};
constexpr EolPageFontSpec kEolPressureFont{"黑体", 25}; // brake and backup pressure
constexpr EolPageFontSpec kEolLampFont{"Times New Roman", 22}; // warning lamp, wheel sensors, brake lamp, valve
constexpr EolPageFontSpec kEolLiftingFont{"Times New Roman", 25}; // lifting axle and lifting sensor
constexpr EolPageFontSpec kEolHeightFont{"Times New Roman", 35};
constexpr EolPageFontSpec kEolHeightSecondFont{"Times New Roman", 25};

// The value labels' text colour (dark blue), as 0x00BBGGRR.
constexpr uint32_t kEolValueColour = 0x803400;

// One of a page's own numbered YES/NO pairs.
struct EolAnswerPair {
    wxButton* yes = nullptr;
    wxButton* no = nullptr;
};

// How a page lays out its axle preview: a row of five cells for each entry
// of `rowStarts` (the index of the row's first cell), "<<" before the second
// row, and each cell's id, size and style.
struct EolPreviewLayout {
    std::vector<size_t> rowStarts;
    std::function<int(size_t)> cellId;
    wxSize cellSize;
    long cellStyle = 0;
    int arrowId = wxID_ANY;
};

class CEolTestPage : public CTarvelPage {
public:
    explicit CEolTestPage(int tab);

    // The page's controls, for tests and for the page's own rendering.
    wxButton* StartButton() const { return start_; }
    wxButton* ExitButton() const { return exit_; }
    wxButton* YesButton() const { return yes_; }
    wxButton* NoButton() const { return no_; }
    CNILikeStatic* QuestionLabel() const { return question_; }
    // The look picture `index` shows now (Idle until rendered).
    EolPicture ShownPicture(size_t index) const;
    wxStaticBitmap* Picture(size_t index) const;

    // The picture of `look`, 50 x 50: the shipped PNG, or a plain square in
    // its colour when the file is missing or unreadable (logged once).
    static wxBitmap EolBitmap(EolPicture look);
    // The font of a page, its face or the first installed stand-in for it
    // ("黑体", "Times New Roman", "Microsoft Sans Serif"), else the default.
    static wxFont PageFont(const EolPageFontSpec& spec);
    // The face PageFont uses for `face` on this system.
    static wxString InstalledFace(const std::string& face);
    // Writes a value label in the pages' three steps: the text, the colour
    // 0x803400, then `font` with a redraw.
    static void WriteValueLabel(CNILikeStatic* label, const std::string& text, const wxFont& font);

protected:
    // Creates the page and gives it the pages' dialog font; call first from
    // a page's Create.
    bool Create(wxWindow* parent) override;

    // ---- Builders (parent: the page or a static box) ----
    wxButton* AddStartButton(wxWindow* parent, wxSizer* sizer, int id);
    wxButton* AddExitButton(wxWindow* parent, wxSizer* sizer, int id);
    // The YES/NO pair, hidden until the logic asks a question.
    void AddAnswerButtons(wxWindow* parent, wxSizer* sizer, int yesId, int noId);
    // The label the logic's question is written into (page font, 0x803400).
    void AddQuestionLabel(wxWindow* parent, wxSizer* sizer, int id, const wxSize& size);
    // The "Test Result：" frame; its caption follows the language.
    wxStaticBoxSizer* AddResultFrame(wxSizer* sizer);
    // A result picture; pictures are numbered in the order they are added,
    // matching the logic's picture indexes.
    wxStaticBitmap* AddResultPicture(wxWindow* parent, wxSizer* sizer, int id);
    // The side of the result pictures added from now on (50 unless set): a
    // page with many results shows them smaller, so they fit beside the
    // texts the operator reads while the test runs.
    void SetResultPictureSize(int side) { pictureSize_ = side; }
    CNILikeStatic* AddValueLabel(wxWindow* parent, wxSizer* sizer, int id, const wxSize& size);
    // Numbered YES/NO pairs side by side (pair k has the ids ids[k-1]), all
    // hidden until the logic shows one; a press calls answer(k, yes).
    std::vector<EolAnswerPair> AddAnswerPairs(wxWindow* parent, wxSizer* sizer,
                                              const std::vector<std::pair<int, int>>& ids,
                                              std::function<void(int, bool)> answer);
    // The "Preview" frame (id `boxId`, caption set by RenderPreview) with its
    // cells, all hidden until rendered.
    wxStaticBoxSizer* AddPreviewFrame(wxSizer* sizer, int boxId, const EolPreviewLayout& layout,
                                      std::vector<wxStaticText*>& cells);

    // Shows pair `shown` (1-based, 0: none) and gives every pair the
    // captions that are set.
    static void RenderAnswerPairs(const std::vector<EolAnswerPair>& pairs, int shown, const std::string& yesCaption,
                                  const std::string& noCaption);
    // The preview frame's caption (when set) and its cells as `state` says.
    void RenderPreview(const std::string& caption, const std::vector<wxStaticText*>& cells,
                       const PreviewCell* state) const;

    // The font the page's labels are written in (set by the page).
    void SetPageFont(const wxFont& font) { pageFont_ = font; }
    const wxFont& PageFontNow() const { return pageFont_; }

    EolPageLogic* EolLogic() const { return LogicAs<EolPageLogic>(); }

    // The page's own controls from its logic's state.
    virtual void RenderPage() {}
    // The common state, then RenderPage (after each change the logic reports).
    // A verdict that appears is brought into view: the page scrolls as
    // little as shows its frame whole.
    void RenderState() final;
    // Scrolls the page as little as shows `control` whole (its top where it
    // is taller than the page).
    void BringIntoView(wxWindow* control);

private:
    void OnCharHook(wxKeyEvent& event);

    wxButton* start_ = nullptr;
    wxButton* exit_ = nullptr;
    wxButton* yes_ = nullptr;
    wxButton* no_ = nullptr;
    CNILikeStatic* question_ = nullptr;
    std::string questionShown_;
    wxStaticBox* resultFrame_ = nullptr;
    wxStaticBox* previewFrame_ = nullptr;
    std::vector<wxStaticBitmap*> pictures_;
    std::vector<EolPicture> shown_;
    std::vector<int> pictureSizes_;
    int pictureSize_ = 50;
    wxFont pageFont_;
};
