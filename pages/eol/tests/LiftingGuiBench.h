// The two lifting pages in the running program, against the built-in
// simulated ECU and its trailer: the ECU's lifting-axle record and the
// trailer's lifting axles set up, connected, the vehicle's axles given for
// the preview and the page opened; then YES on each pair the page shows.
#pragma once

#include "EolLiftingTestPage.h"

#include "DiagnosisGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include "SimEcu.h"
#include "SimEcuProfile.h"
#include "SimTrailer.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/time.h>
#include <wx/utils.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace eoltest {

// The vehicle's parameters, as the calibration pages read them; the
// preview is drawn from them.
struct LiftingGuiVehicle {
    int32_t axleCount = 0;
    int32_t parameterChoice = 0;
    std::array<int32_t, 10> axleFeatureFlags{};
    std::array<int32_t, 10> liftingAxleFlags{};
};

// What the ECU, the trailer and the vehicle's parameters say.
struct LiftingGuiSetup {
    sim::ecudata::LiftingAxleFitting fitting;
    unsigned liftingAxles = 2;
    bool liftingSensorVariant = false;
    LiftingGuiVehicle vehicle;
};

class LiftingGuiTest : public ::testing::Test {
protected:
    // Starts the program, sets it up as `setup` says, connects and opens the
    // page of `tab`; `page` stays null when any of it failed.
    template <class Page>
    void OpenPage(int tab, const LiftingGuiSetup& setup, Page*& page)
    {
        page = nullptr;
        ASSERT_TRUE(program.Start("test_eol_gui")) << "the program did not start";
        guidriver::PumpUntil([] { return false; }, 5);
        app = program.app;
        ecu = sim::BuiltInEcu();
        trailer = sim::BuiltInTrailer();
        ASSERT_NE(ecu, nullptr);
        ASSERT_NE(trailer, nullptr);
        sim::ecudata::SetLiftingAxleFitting(*ecu, setup.fitting);
        sim::TrailerEquipment equipment = trailer->Equipment();
        equipment.liftingAxles = setup.liftingAxles;
        equipment.liftingSensorVariant = setup.liftingSensorVariant;
        trailer->SetEquipment(equipment);
        ASSERT_TRUE(guidriver::Connect(app));
        AxleCount = setup.vehicle.axleCount;
        ParameterChoice = setup.vehicle.parameterChoice;
        AxleFeatureFlags = setup.vehicle.axleFeatureFlags;
        LiftingAxleFlags = setup.vehicle.liftingAxleFlags;

        ASSERT_TRUE(guidriver::Open(app, tab));
        page = dynamic_cast<Page*>(app->View()->Page(tab));
        ASSERT_NE(page, nullptr);
    }

    // Clicks YES on each pair shown, after `beforeYes(pair)`, until `done()`
    // or a minute has passed. The pairs answered, in order.
    static std::vector<int> AnswerYes(const CEolLiftingTestPage& page, const std::function<bool()>& done,
                                      const std::function<void(int)>& beforeYes = {})
    {
        std::vector<int> answered;
        const wxLongLong until = wxGetLocalTimeMillis() + 60000;
        while (!done() && wxGetLocalTimeMillis() < until) {
            for (int pair = 1; pair <= 5; ++pair) {
                if (page.YesOfPair(pair)->IsShown()) {
                    answered.push_back(pair);
                    if (beforeYes)
                        beforeYes(pair);
                    guidriver::Click(page.YesOfPair(pair));
                    break;
                }
            }
            wxTheApp->Yield(true);
            wxMilliSleep(20);
        }
        return answered;
    }

    tarvel_test::ProgramUnderTest program;
    CTarvelApp* app = nullptr;
    sim::SimEcu* ecu = nullptr;
    sim::SimTrailer* trailer = nullptr;
};

} // namespace eoltest
