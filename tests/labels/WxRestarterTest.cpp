#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/utils.h>

#include "RestarterWx.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

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

// The new instance gets the arguments the program was started with, each as
// it was, blanks and all.
TEST(WxRestarter, StartsTheProgramWithItsArguments)
{
    namespace fs = std::filesystem;
    const fs::path written = fs::temp_directory_path() / ("restart-args-" + std::to_string(::getpid()));
    fs::remove(written);
    // A shell stands in for the program: it writes the arguments it got.
    tarvel::WxRestarter restarter([] {}, {"-c", "printf '%s|' \"$0\" \"$@\" > " + written.string() + ".tmp && mv " +
                                                    written.string() + ".tmp " + written.string(),
                                          "C:/Program Files/Tarvel", "--simulate"});
    restarter.Restart("/bin/sh");
    for (int i = 0; i < 500 && !fs::exists(written); ++i)
        wxMilliSleep(10);
    std::ifstream in(written);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "C:/Program Files/Tarvel|--simulate|");
    wxTheApp->ProcessPendingEvents();
    fs::remove(written);
}
