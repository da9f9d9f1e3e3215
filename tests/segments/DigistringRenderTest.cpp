#include "Digistring.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>

namespace tarvel {
namespace {

class SegmentsTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// Starts wxWidgets once for the whole test program (needs a display: run
// under xvfb-run).
class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static char name[] = "test_segments";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        wxApp::SetInstance(new SegmentsTestApp);
        started_ = wxEntryStart(argc, argv);
        ASSERT_TRUE(started_) << "no display: run under xvfb-run";
        ASSERT_TRUE(wxTheApp->CallOnInit());
    }
    void TearDown() override
    {
        // Without a display there is nothing to shut down.
        if (!started_)
            return;
        wxTheApp->OnExit();
        wxEntryCleanup();
    }

private:
    bool started_ = false;
};

const auto* const g_wx = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

class DigistringRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "segments");
        display_ = new CDigistring(frame_, wxID_ANY, wxDefaultPosition, wxSize(98, 166));
    }
    void TearDown() override { frame_->Destroy(); }

    // Renders the display into a bitmap of the given size.
    wxImage RenderImage(const wxSize& size)
    {
        wxBitmap bitmap(size.x, size.y, 24);
        {
            wxMemoryDC dc(bitmap);
            display_->Render(dc, size);
        }
        return bitmap.ConvertToImage();
    }

    static wxColour PixelAt(const wxImage& image, const DigiPoint& p)
    {
        return wxColour(image.GetRed(p.x, p.y), image.GetGreen(p.x, p.y), image.GetBlue(p.x, p.y));
    }

    wxFrame* frame_ = nullptr;
    CDigistring* display_ = nullptr;
};

TEST_F(DigistringRenderTest, EightLightsTheMiddleSegment)
{
    const wxSize size(98, 166); // exactly twice the cell
    const DigiRect cell{0, 0, 98, 166};
    const DigiPoint middle = MapDigiPoint({24, 41}, cell, 49);
    const DigiPoint upperLeft = MapDigiPoint({7, 24}, cell, 49);
    const DigiPoint outside = MapDigiPoint({24, 25}, cell, 49); // inside the "0", between segments

    display_->SetDisplayText("8");
    wxImage image = RenderImage(size);
    EXPECT_EQ(PixelAt(image, middle), wxColour(0, 255, 0));
    EXPECT_EQ(PixelAt(image, upperLeft), wxColour(0, 255, 0));
    EXPECT_EQ(PixelAt(image, outside), wxColour(0, 0, 0));

    // "0" leaves the middle segment unlit (0x003400: green 0x34).
    display_->SetDisplayText("0");
    image = RenderImage(size);
    EXPECT_EQ(PixelAt(image, middle), wxColour(0, 0x34, 0));
    EXPECT_EQ(PixelAt(image, upperLeft), wxColour(0, 255, 0));

    // Colours are 0x00BBGGRR: red lit segments on a blue background.
    display_->SetSegmentColours(0x404040, 0x0000FF);
    display_->SetBackgroundColour(0xFF0000);
    display_->SetDisplayText("8");
    image = RenderImage(size);
    EXPECT_EQ(PixelAt(image, middle), wxColour(255, 0, 0));
    EXPECT_EQ(PixelAt(image, outside), wxColour(0, 0, 255));
}

TEST_F(DigistringRenderTest, EmptyTextPaintsOnlyTheBackground)
{
    display_->SetBackgroundColour(0x00FFFF); // yellow
    display_->SetDisplayText("");
    const wxImage image = RenderImage(wxSize(40, 30));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(PixelAt(image, {x, y}), wxColour(255, 255, 0)) << x << "," << y;
}

TEST_F(DigistringRenderTest, RefusedStyleChangeKeepsTheStyle)
{
    EXPECT_EQ(display_->ChangeDisplayStyle(DS_SMOOTH, DS_SMOOTH), 0);
    EXPECT_EQ(display_->Model().Style(), uint32_t(DS_SZ_PROP));
    EXPECT_EQ(display_->ChangeDisplayStyle(0, DS_SMOOTH), 1);
    EXPECT_EQ(display_->Model().Style(), uint32_t(DS_SZ_PROP | DS_SMOOTH));

    // The smooth shapes still light the middle segment of an "8".
    display_->SetDisplayText("8");
    const wxImage image = RenderImage(wxSize(98, 166));
    EXPECT_EQ(PixelAt(image, MapDigiPoint({24, 41}, DigiRect{0, 0, 98, 166}, 49)), wxColour(0, 255, 0));
}

TEST(DigistringColours, ColourRefChannelOrder)
{
    EXPECT_EQ(CDigistring::ToWxColour(0x0000FF), wxColour(255, 0, 0));
    EXPECT_EQ(CDigistring::ToWxColour(0x00FF00), wxColour(0, 255, 0));
    EXPECT_EQ(CDigistring::ToWxColour(0xFF0000), wxColour(0, 0, 255));
    EXPECT_EQ(CDigistring::ToWxColour(0x123456), wxColour(0x56, 0x34, 0x12));
}

} // namespace
} // namespace tarvel
