#include <gtest/gtest.h>

#include <wx/app.h>

#include "RestarterWx.h"

// The wx environment is started by LabelControlsTest.cpp's global environment.

TEST(WxRestarter, StartsTheProgramThenClosesAfterTheCurrentHandler)
{
    int closes = 0;
    tarvel::WxRestarter restarter([&] { ++closes; });
    // /bin/true stands in for the program: it starts and ends at once.
    restarter.Restart("/bin/true");
    EXPECT_EQ(closes, 0) << "the close waits until the asking handler has returned";
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(closes, 1);
}

TEST(WxRestarter, ClosesEvenWhenNoNewInstanceCanBeStarted)
{
    int closes = 0;
    tarvel::WxRestarter restarter([&] { ++closes; });
    restarter.Restart("");
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(closes, 1);
}
