#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/settings.h>
#include <wx/time.h>
#include <wx/utils.h>

#include "ConnectorsListCtrl.h"
#include "EditEx.h"
#include "NILike.h"
#include "ProgramPaths.h"

namespace {

// Starts wxWidgets once for the whole test program (needs a display: run
// under xvfb-run).
class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static char name[] = "test_labels";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        // A GUI application object; without one wx starts a console app and
        // GTK is never initialised.
        wxApp::SetInstance(new wxApp);
        started_ = wxEntryStart(argc, argv);
        ASSERT_TRUE(started_) << "no display: run under xvfb-run";
        ASSERT_TRUE(wxTheApp->CallOnInit());
        wxInitAllImageHandlers();
    }
    void TearDown() override
    {
        if (!started_) return;
        wxTheApp->OnExit();
        wxEntryCleanup();
    }

private:
    bool started_ = false;
};

const auto* const g_wx = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

struct PixelCounts {
    int red = 0;
    int green = 0;
    long sumX = 0; // of the coloured pixels, to find their centre
    long sumY = 0;
};

bool IsRed(const wxImage& img, int x, int y)
{
    return img.GetRed(x, y) > 200 && img.GetGreen(x, y) < 80 && img.GetBlue(x, y) < 80;
}

bool IsGreen(const wxImage& img, int x, int y)
{
    return img.GetGreen(x, y) > 200 && img.GetRed(x, y) < 80 && img.GetBlue(x, y) < 80;
}

PixelCounts Count(const wxImage& img)
{
    PixelCounts c;
    for (int y = 0; y < img.GetHeight(); ++y) {
        for (int x = 0; x < img.GetWidth(); ++x) {
            const bool red = IsRed(img, x, y);
            const bool green = IsGreen(img, x, y);
            c.red += red;
            c.green += green;
            if (red || green) {
                c.sumX += x;
                c.sumY += y;
            }
        }
    }
    return c;
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "labels", wxPoint(0, 0), wxSize(400, 300));
        // The dialog's font, which a label uses until it fits its own.
        frame_->SetFont(wxFontInfo(wxSize(0, 11)).Family(wxFONTFAMILY_SWISS));
    }
    void TearDown() override { frame_->Destroy(); }

    CNILikeStatic* MakeLabel(const wxSize& size)
    {
        return new CNILikeStatic(frame_, wxID_ANY, "", wxPoint(10, 10), size);
    }

    static wxImage Render(const CNILikeStatic& label)
    {
        const wxSize size = label.GetClientSize();
        wxBitmap bitmap(size.x, size.y, 24);
        {
            wxMemoryDC dc(bitmap);
            label.Render(dc);
        }
        return bitmap.ConvertToImage();
    }

    wxFrame* frame_ = nullptr;
};

} // namespace

TEST_F(LabelTest, FontHeightIsEightyPercentOfTheLabelHeight)
{
    struct Case {
        int labelHeight;
        int fontHeight;
    };
    const Case cases[] = {{25, 20}, {30, 24}, {11, 8}, {64, 51}};
    for (const Case& c : cases) {
        CNILikeStatic* label = MakeLabel(wxSize(200, c.labelHeight));
        ASSERT_EQ(label->GetClientSize().GetHeight(), c.labelHeight);
        EXPECT_EQ(label->TextFontHeight(), 0);
        EXPECT_EQ(label->GetFont(), frame_->GetFont()) << "draws in its dialog's font first";

        label->SetGreenText("Pass");
        EXPECT_EQ(label->TextFontHeight(), c.fontHeight) << c.labelHeight;
        // The font really is that tall: measure the line height it draws.
        wxBitmap bitmap(10, 10, 24);
        wxMemoryDC dc(bitmap);
        dc.SetFont(label->GetFont());
        int h = 0;
        dc.GetTextExtent("Hg", nullptr, &h);
        EXPECT_GE(h, c.fontHeight * 8 / 10) << c.labelHeight;
        EXPECT_LE(h, c.fontHeight * 14 / 10 + 2) << c.labelHeight;
        label->Destroy();
    }
}

TEST_F(LabelTest, RedAndGreenTextAreRedAndGreenAndCentred)
{
    CNILikeStatic* label = MakeLabel(wxSize(240, 60));
    label->SetBkColour(0xFFFFFF);

    label->SetRedText("MMMM");
    EXPECT_EQ(label->TextColour(), 0x0000FFu);
    wxImage img = Render(*label);
    PixelCounts c = Count(img);
    EXPECT_GT(c.red, 100);
    EXPECT_EQ(c.green, 0);
    ASSERT_GT(c.red, 0);
    EXPECT_NEAR(static_cast<double>(c.sumX) / c.red, 120.0, 8.0);
    EXPECT_NEAR(static_cast<double>(c.sumY) / c.red, 30.0, 8.0);

    label->SetGreenText("MMMM");
    EXPECT_EQ(label->TextColour(), 0x00FF00u);
    c = Count(Render(*label));
    EXPECT_GT(c.green, 100);
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(label->GetLabel(), "MMMM");
}

TEST_F(LabelTest, ColoursAreReadAsBlueGreenRed)
{
    CNILikeStatic* label = MakeLabel(wxSize(80, 30));
    EXPECT_EQ(label->BkColour(), ColorRefFromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    EXPECT_EQ(label->TextColour(), 0u);

    struct Case {
        ColorRef colour;
        unsigned char r, g, b;
    };
    const Case cases[] = {
        {0xFF0000, 0, 0, 255}, {0x0000FF, 255, 0, 0}, {0x336699, 0x99, 0x66, 0x33}, {0x00FF00, 0, 255, 0}};
    for (const Case& c : cases) {
        label->SetBkColour(c.colour);
        const wxImage img = Render(*label);
        for (const wxPoint p : {wxPoint(0, 0), wxPoint(79, 29), wxPoint(40, 15)}) {
            EXPECT_EQ(img.GetRed(p.x, p.y), c.r) << std::hex << c.colour;
            EXPECT_EQ(img.GetGreen(p.x, p.y), c.g) << std::hex << c.colour;
            EXPECT_EQ(img.GetBlue(p.x, p.y), c.b) << std::hex << c.colour;
        }
        EXPECT_EQ(ColorRefFromColour(ColourFromColorRef(c.colour)), c.colour);
    }
}

TEST_F(LabelTest, AmpersandIsShownAsText)
{
    CNILikeStatic* label = MakeLabel(wxSize(200, 30));
    label->SetText("A & B");
    EXPECT_EQ(label->GetLabel(), "A & B");
}

TEST_F(LabelTest, RedShowsOnScreen)
{
    // On white, so only the text can make pixels red. (The frame's only
    // child fills the frame.)
    CNILikeStatic* label = MakeLabel(wxSize(160, 50));
    // The suite runs in parallel on one display and other tests' windows open
    // at its top left or centre: read the label in the bottom-right corner.
    const wxSize screenSize = wxGetDisplaySize();
    frame_->SetSize(wxSize(200, 90));
    frame_->Move(screenSize.x - 200, screenSize.y - 90);
    frame_->Show();
    frame_->Raise();
    label->SetBkColour(0xFFFFFF);
    label->SetRedText("MMMM");
    const auto capture = [label] {
        label->Update();
        const wxPoint origin = label->GetScreenPosition();
        const wxSize size = label->GetClientSize();
        wxBitmap shot(size.x, size.y, 24);
        {
            wxScreenDC screen;
            wxMemoryDC dc(shot);
            dc.Blit(0, 0, size.x, size.y, &screen, origin.x, origin.y);
        }
        return shot.ConvertToImage();
    };
    // Until the label itself is on the screen (its white corner), not what
    // an earlier window left there.
    // The X server maps the window in its own time: wait up to five seconds.
    for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
    wxImage img = capture();
    const wxLongLong until = wxGetLocalTimeMillis() + 5000;
    while (!(img.GetRed(1, 1) > 240 && img.GetGreen(1, 1) > 240 && img.GetBlue(1, 1) > 240) &&
           wxGetLocalTimeMillis() < until) {
        wxMilliSleep(10);
        wxTheApp->Yield(true);
        img = capture();
    }
    ASSERT_GT(img.GetGreen(1, 1), 240) << "the label never reached the screen";
    const PixelCounts c = Count(img);
    EXPECT_GT(c.red, 100) << "the text is not drawn red on the screen";
    EXPECT_EQ(c.green, 0);
    ASSERT_GT(c.red, 0);
    EXPECT_NEAR(static_cast<double>(c.sumX) / c.red, img.GetWidth() / 2.0, 10.0);
    EXPECT_NEAR(static_cast<double>(c.sumY) / c.red, img.GetHeight() / 2.0, 10.0);
}

TEST(ConnectorsList, OnlyRowOneColumnZeroIsRed)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "list");
    auto* list = new ConnectorsCMyListCtrl(frame, wxID_ANY, wxDefaultPosition, wxSize(300, 200));
    list->AppendColumn("Pin");
    list->AppendColumn("Signal");
    const ColorRef normal = ColorRefFromColour(list->GetBackgroundColour());

    list->SetRows({{"1", "Supply"}});
    EXPECT_EQ(list->CellBkColour(0, 0), normal);
    EXPECT_EQ(list->CellBkColour(1, 0), normal) << "row 1 does not exist";

    list->SetRows({{"1", "Supply"}, {"2", "Ground"}, {"3"}});
    for (long row = 0; row < 3; ++row) {
        for (long col = 0; col < 2; ++col) {
            EXPECT_EQ(list->CellBkColour(row, col), (row == 1 && col == 0) ? kColorRefRed : normal)
                << row << "," << col;
        }
    }
    EXPECT_EQ(list->GetItemText(2, 1), "");
    EXPECT_EQ(list->GetItemText(1, 1), "Ground");
    frame->Destroy();
}

TEST(EditEx, IsAPlainEditControl)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "edit");
    auto* edit = new CEditEx(frame, wxID_ANY, "abc");
    edit->AppendText("d");
    EXPECT_EQ(edit->GetValue(), "abcd");
    frame->Destroy();
}

class LampTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-lamp-XXXXXX").string();
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        folder_ = pattern;
        std::filesystem::create_directory(folder_ + "/res");
        tarvel::SetProgramFolder(folder_);
        frame_ = new wxFrame(nullptr, wxID_ANY, "lamp");
        lamp_ = new CNILikeLight(frame_, wxID_ANY, wxDefaultPosition, wxSize(71, 71));
    }
    void TearDown() override
    {
        frame_->Destroy();
        tarvel::SetProgramFolder("");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    void WritePicture(const char* name, int size, const wxColour& colour)
    {
        wxImage img(size, size);
        img.SetRGB(wxRect(0, 0, size, size), colour.Red(), colour.Green(), colour.Blue());
        ASSERT_TRUE(img.SaveFile(folder_ + "/res/" + name, wxBITMAP_TYPE_BMP));
    }

    wxImage Render()
    {
        wxBitmap bitmap(71, 71, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxBLUE_BRUSH);
            dc.Clear();
            lamp_->Render(dc);
        }
        return bitmap.ConvertToImage();
    }

    std::string folder_;
    wxFrame* frame_ = nullptr;
    CNILikeLight* lamp_ = nullptr;
};

TEST_F(LampTest, PicturesLoadFromBesideTheProgramAndMissingOnesPaintNothing)
{
    WritePicture("greenlight.bmp", 142, *wxGREEN);
    ASSERT_TRUE(lamp_->SetGreenLight());
    wxImage img = Render();
    EXPECT_TRUE(IsGreen(img, 0, 0));
    EXPECT_TRUE(IsGreen(img, 70, 70));

    EXPECT_FALSE(lamp_->SetGrayLight()); // no such file
    EXPECT_FALSE(lamp_->HasBitmap());
    img = Render();
    EXPECT_EQ(img.GetBlue(35, 35), 255);
    EXPECT_EQ(img.GetGreen(35, 35), 0);
}

TEST_F(LampTest, SmallPictureIsScaledWithoutReadingPastIt)
{
    WritePicture("bkGrnd.bmp", 20, *wxRED);
    ASSERT_TRUE(lamp_->SetBackgroundBitmap());
    const wxImage img = Render();
    for (int y = 0; y < 71; y += 5) {
        for (int x = 0; x < 71; x += 5) {
            ASSERT_TRUE(IsRed(img, x, y)) << x << "," << y;
        }
    }
}
