// The person at the program's simulated trailer, as the composition wires
// it: told through the prompter what the pages show, in any of the five
// languages, it turns the wheel a prompt names, builds the backup pressure
// the box asks for and lets it go when the page moves on.
#include "SimulatedStation.h"

#include "CanComposition.h"

#include "EolBackupPressureLogic.h"
#include "EolSensorTestLogic.h"
#include "LanguageTable.h"
#include "PageBench.h"
#include "PageContext.h"

#include "ProgramPaths.h"
#include "Prompter.h"
#include "SimBuiltInWorld.h"
#include "SimEcu.h"
#include "SimStationOperator.h"
#include "SimTrailer.h"
#include "SimTrailerData.h"
#include "SimTrailerFaults.h"
#include "SimWorld.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SimulatedStation : public ::testing::Test {
protected:
    SimulatedStation()
    {
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(&clock, &clock);
        sim::StartBuiltInEcu();
        tarvel::SetPromptWitness(&witness);
    }
    ~SimulatedStation() override
    {
        tarvel::SetPromptWitness(nullptr);
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(nullptr, nullptr);
        LanguageIndex = 1;
        LanguageTable.clear();
    }

    void UseLanguage(int language)
    {
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
    }

    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    sim::SimWorld world;
    sim::ScopedWorld useWorld{world};
    tarvel::RecordingPrompter boxes;
    tarvel::ScopedPrompter usePrompter{boxes};
    tarvel::ScopedProgramFolder useData{tarvel_test::DataFolder()};
    std::vector<std::string> said; // what the person said in the output pane
    tarvel::SimulatedStationWitness witness{[this](const std::string& line) { said.push_back(line); }};
};

TEST_F(SimulatedStation, TheWheelAPromptNamesTurnsInEveryLanguage)
{
    for (int language = 0; language < 5; ++language) {
        SCOPED_TRACE(language);
        UseLanguage(language);
        for (unsigned wheel = 1; wheel <= 4; ++wheel) {
            tarvel::GetPrompter().Instruct(LanguageText(EolSensorTestLogic::kFirstPromptRow + int(wheel) - 1));
            clock.Advance(uint64_t(sim::trailerdata::kReactionMaxMs) * 1000);
            for (unsigned w = 1; w <= 4; ++w)
                EXPECT_EQ(sim::BuiltInTrailer()->WheelTurning(w), w == wheel) << wheel;
            clock.Advance(uint64_t(sim::trailerdata::kHandSpinCoastMs) * 1000);
        }
    }
}

TEST_F(SimulatedStation, OtherInstructionsTurnNothing)
{
    UseLanguage(1);
    for (const std::string& text : {LanguageText(EolSensorTestLogic::kOperatorQuestionRow), std::string("c"),
                                    std::string(), LanguageText(EolBackupPressureLogic::kBuildPressureTextRow)}) {
        tarvel::GetPrompter().Instruct(text);
        EXPECT_EQ(clock.PendingTasks(), 0u) << text;
    }
    EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure()) << "an instruction is no box";
}

TEST_F(SimulatedStation, TheBackupPressureIsBuiltWhenTheBoxAsksAndLetGoAfter)
{
    for (int language = 0; language < 5; ++language) {
        SCOPED_TRACE(language);
        UseLanguage(language);
        const std::string ask = LanguageText(EolBackupPressureLogic::kBuildPressureTextRow);
        tarvel::GetPrompter().Show(ask, "", tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        EXPECT_TRUE(sim::BuiltInOperator()->HoldingPressure());
        clock.Advance(1500 * 1000);
        EXPECT_NEAR(sim::BuiltInTrailer()->DemandPressure(), sim::trailerdata::kOperatorControlPressureBar, 0.05);
        tarvel::GetPrompter().Show(LanguageText(EolPageLogic::kPassedTextRow), "", tarvel::MsgIcon::None,
                                   tarvel::MsgButtons::Ok);
        EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure());
        clock.Advance(1500 * 1000);
        EXPECT_LT(sim::BuiltInTrailer()->DemandPressure(), 0.05);
    }
    EXPECT_EQ(boxes.Count(), 10u) << "the boxes still reach the installed prompter";
}

// A language file without the texts of the requests: the page shows its own
// words, each prompt naming its own wheel, and the person does what they ask.
TEST_F(SimulatedStation, APagesOwnWordsForAnEmptyRowAreUnderstood)
{
    for (int language = 0; language < 5; ++language) {
        SCOPED_TRACE(language);
        UseLanguage(language);
        for (int step = 0; step < 4; ++step)
            LanguageTable[EolSensorTestLogic::kFirstPromptRow + step].text.clear();
        LanguageTable[EolBackupPressureLogic::kBuildPressureTextRow].text.clear();
        const tarvel::TextTable& texts = tarvel::ProgramTexts();

        for (unsigned wheel = 1; wheel <= 4; ++wheel) {
            const std::string prompt = EolSensorTestLogic::WheelPrompt(texts, static_cast<int>(wheel) - 1);
            EXPECT_EQ(prompt.back(), "cdef"[wheel - 1]) << prompt;
            tarvel::GetPrompter().Instruct(prompt);
            clock.Advance(uint64_t(sim::trailerdata::kReactionMaxMs) * 1000);
            for (unsigned w = 1; w <= 4; ++w)
                EXPECT_EQ(sim::BuiltInTrailer()->WheelTurning(w), w == wheel) << prompt;
            clock.Advance(uint64_t(sim::trailerdata::kHandSpinCoastMs) * 1000);
        }

        tarvel::GetPrompter().Show(EolBackupPressureLogic::BuildPressureText(texts), "",
                                   tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        EXPECT_TRUE(sim::BuiltInOperator()->HoldingPressure());
        tarvel::GetPrompter().Instruct(std::string());
        EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure());
    }
    EXPECT_TRUE(said.empty());
}

// Two requests worded alike: the person cannot tell which is meant, does
// nothing, and says so in the output pane once, however often it is asked.
TEST_F(SimulatedStation, ARequestWordedLikeAnotherIsNamedOnceAndLeftAlone)
{
    UseLanguage(2);
    const std::string alike = LanguageText(EolSensorTestLogic::kFirstPromptRow);
    LanguageTable[EolSensorTestLogic::kFirstPromptRow + 1].text = alike;
    for (int asked = 0; asked < 3; ++asked) {
        tarvel::GetPrompter().Instruct(alike);
        clock.Advance(uint64_t(sim::trailerdata::kReactionMaxMs) * 1000);
        for (unsigned wheel = 1; wheel <= 4; ++wheel)
            EXPECT_FALSE(sim::BuiltInTrailer()->WheelTurning(wheel)) << wheel;
    }
    EXPECT_EQ(said, std::vector<std::string>{tarvel::CannotTellLine(alike)});
    EXPECT_NE(said.front().find(alike), std::string::npos);

    // The other wheels are still told apart.
    tarvel::GetPrompter().Instruct(LanguageText(EolSensorTestLogic::kFirstPromptRow + 2));
    clock.Advance(uint64_t(sim::trailerdata::kReactionMaxMs) * 1000);
    EXPECT_TRUE(sim::BuiltInTrailer()->WheelTurning(3));
    EXPECT_EQ(said.size(), 1u);
}

// The page goes on with an instruction in its own window rather than a box:
// the person lets go of the pressure too.
TEST_F(SimulatedStation, AnInstructionShownAfterTheBoxLetsThePressureGo)
{
    UseLanguage(1);
    tarvel::GetPrompter().Show(LanguageText(EolBackupPressureLogic::kBuildPressureTextRow), "",
                               tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
    ASSERT_TRUE(sim::BuiltInOperator()->HoldingPressure());
    clock.Advance(1500 * 1000);
    ASSERT_GT(sim::BuiltInTrailer()->DemandPressure(), 1.0);
    tarvel::GetPrompter().Instruct(LanguageText(EolSensorTestLogic::kOperatorQuestionRow));
    EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure());
    clock.Advance(1500 * 1000);
    EXPECT_LT(sim::BuiltInTrailer()->DemandPressure(), 0.05);
}

// Without a simulated world (a real ECU) nobody is at the trailer.
TEST_F(SimulatedStation, NobodyWithoutTheSimulatedWorld)
{
    UseLanguage(1);
    sim::StopBuiltInEcu();
    tarvel::GetPrompter().Instruct(LanguageText(EolSensorTestLogic::kFirstPromptRow));
    tarvel::GetPrompter().Show(LanguageText(EolBackupPressureLogic::kBuildPressureTextRow), "",
                               tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
    EXPECT_EQ(clock.PendingTasks(), 0u);
}

// The output pane names the faults TARVEL_SIM_TRAILER gave the trailer, and
// a name that is none; a good trailer adds no line.
TEST(SimulatedWorldNotices, NameTheFaultsTheTrailerWasGiven)
{
    tarvel::VirtualClock clock(1000000);
    tarvel::ScopedClock useClock(clock);
    sim::SimWorld world;
    sim::ScopedWorld useWorld(world);
    const struct {
        const char* list;
        std::vector<std::string> lines;
    } cases[] = {
        {nullptr, {}},
        {"", {}},
        {"no-backup-pressure, dead-sensor-d",
         {"Simulated trailer: faults no-backup-pressure, dead-sensor-d"}},
        {"current-fault,flat-tyre",
         {"Simulated trailer: faults current-fault",
          "Simulated trailer: \"flat-tyre\" in TARVEL_SIM_TRAILER is no fault it knows"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list ? c.list : "(not set)");
        if (c.list)
            ::setenv(sim::kTrailerFaultsVariable, c.list, 1);
        else
            ::unsetenv(sim::kTrailerFaultsVariable);
        sim::StopBuiltInEcu();
        EXPECT_TRUE(tarvel::SimulatedWorldNotices().empty()) << "no world, nothing to say";
        sim::SetBuiltInWorldTime(&clock, &clock);
        sim::StartBuiltInEcu();
        EXPECT_EQ(tarvel::SimulatedWorldNotices(), c.lines);
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(nullptr, nullptr);
    }
    ::unsetenv(sim::kTrailerFaultsVariable);
}

// How long the built-in ECU stays silent after a reset: the trailer's time,
// or what TARVEL_SIM_RESTART_MS says when it holds a number of milliseconds.
TEST(SimulatedWorldRestart, TheEnvironmentSetsTheBuiltInEcusRestartTime)
{
    tarvel::VirtualClock clock(1000000);
    tarvel::ScopedClock useClock(clock);
    sim::SimWorld world;
    sim::ScopedWorld useWorld(world);
    const struct {
        const char* value;
        uint32_t restartMs;
    } cases[] = {
        {nullptr, sim::trailerdata::kRestartMs}, {"600", 600}, {"2000", 2000},
        {"", sim::trailerdata::kRestartMs},      {"2 s", sim::trailerdata::kRestartMs},
        {"-5", sim::trailerdata::kRestartMs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(not set)");
        if (c.value)
            ::setenv(sim::kRestartTimeVariable, c.value, 1);
        else
            ::unsetenv(sim::kRestartTimeVariable);
        sim::SetBuiltInWorldTime(&clock, &clock);
        sim::SimEcu& ecu = sim::StartBuiltInEcu();
        EXPECT_EQ(ecu.RestartTime(), c.restartMs);
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(nullptr, nullptr);
    }
    ::unsetenv(sim::kRestartTimeVariable);
}

} // namespace
