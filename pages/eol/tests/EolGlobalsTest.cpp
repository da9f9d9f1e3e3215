// The end-of-line results and the resets over them: which flags each reset
// clears and which it keeps.
#include "EolGlobals.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Every flag to 1 and every remark to "x", so a reset shows what it touched.
void FillAll()
{
    for (int i = 0; i < EolResultFlagCount; ++i)
        *EolResultTable()[i].flag = EolPassed;
    for (int i = 0; i < EolRemarkCount; ++i)
        *EolRemarkTable()[i].remark = "x";
}

std::set<std::string> FlagsAt(int32_t value)
{
    std::set<std::string> names;
    for (int i = 0; i < EolResultFlagCount; ++i)
        if (*EolResultTable()[i].flag == value)
            names.insert(EolResultTable()[i].name);
    return names;
}

int RemarksAt(const std::string& value)
{
    int count = 0;
    for (int i = 0; i < EolRemarkCount; ++i)
        count += *EolRemarkTable()[i].remark == value;
    return count;
}

TEST(EolGlobals, TheTablesNameEveryFlagAndRemarkOnce)
{
    std::set<int32_t*> flags;
    for (int i = 0; i < EolResultFlagCount; ++i) {
        flags.insert(EolResultTable()[i].flag);
        EXPECT_EQ(EolResultFlags()[i], EolResultTable()[i].flag) << i;
    }
    EXPECT_EQ(flags.size(), static_cast<size_t>(EolResultFlagCount));
    std::set<std::string*> remarks;
    for (int i = 0; i < EolRemarkCount; ++i)
        remarks.insert(EolRemarkTable()[i].remark);
    EXPECT_EQ(remarks.size(), static_cast<size_t>(EolRemarkCount));
    EXPECT_EQ(RemarksAt("-"), EolRemarkCount);
    EXPECT_TRUE(EolAllResultsNotTested());
}

TEST(EolGlobals, DisconnectAfterAPassResetsAllButTheThirdPressureChannel)
{
    FillAll();
    ResetEolResultsAfterPass();
    EXPECT_EQ(FlagsAt(EolPassed), (std::set<std::string>{"EolPressure5Result", "EolPressure6Result"}));
    EXPECT_EQ(FlagsAt(EolNotTested).size(), 23u);
    EXPECT_EQ(RemarksAt("x"), EolRemarkCount);
}

TEST(EolGlobals, AConfigurationWriteResetsTwentyResults)
{
    FillAll();
    ResetEolResults();
    EXPECT_EQ(FlagsAt(EolPassed), (std::set<std::string>{"EolModulator3Result", "EolPressure5Result",
                                                          "EolPressure6Result", "EolValveOpenResult",
                                                          "EolValveCloseResult"}));
    EXPECT_EQ(FlagsAt(EolNotTested).size(), 20u);
    EXPECT_EQ(RemarksAt("x"), EolRemarkCount);
}

TEST(EolGlobals, APageResetsOnlyItsOwnFlagsAndRemarks)
{
    struct Case {
        EolPage page;
        std::set<std::string> flags;
        int remarks;
    };
    const Case cases[] = {
        {EolPage::Voltage, {"EolVoltageResult"}, 1},
        {EolPage::WarningLamp, {"EolWarningLampOnResult", "EolWarningLampOffResult"}, 2},
        {EolPage::Sensors,
         {"EolSensor1Result", "EolSensor2Result", "EolSensor3Result", "EolSensor4Result", "EolModulator1Result",
          "EolModulator2Result", "EolModulator3Result"},
         7},
        {EolPage::Pressure,
         {"EolPressure1Result", "EolPressure2Result", "EolPressure3Result", "EolPressure4Result",
          "EolPressure5Result", "EolPressure6Result"},
         6},
        {EolPage::BackupPressure, {"EolBackupPressureResult"}, 1},
        {EolPage::Dtc, {"EolDtcResult"}, 1},
        {EolPage::BrakeLamp, {"EolBrakeLampOnResult", "EolBrakeLampOffResult"}, 2},
        {EolPage::HeightSensor, {"EolHeightSensorResult"}, 1},
        {EolPage::LiftingAxle, {"EolLiftingAxleResult"}, 1},
        {EolPage::LiftingSensor, {"EolLiftingSensorResult"}, 1},
        {EolPage::UnderwaterValve, {"EolValveOpenResult", "EolValveCloseResult"}, 2},
    };
    size_t total = 0;
    for (const Case& c : cases) {
        FillAll();
        EXPECT_FALSE(EolPageResultsNotTested(c.page));
        ResetEolPageResults(c.page);
        ResetEolPageRemarks(c.page);
        EXPECT_EQ(FlagsAt(EolNotTested), c.flags) << static_cast<int>(c.page);
        EXPECT_EQ(RemarksAt("-"), c.remarks) << static_cast<int>(c.page);
        EXPECT_TRUE(EolPageResultsNotTested(c.page));
        EXPECT_FALSE(EolAllResultsNotTested());
        total += c.flags.size();
    }
    EXPECT_EQ(total, static_cast<size_t>(EolResultFlagCount));
}

TEST(EolGlobals, ResetAllClearsEveryFlagAndRemarkAndTheLoadValuesComeBack)
{
    FillAll();
    ResetAllEolResults();
    EXPECT_TRUE(EolAllResultsNotTested());
    EXPECT_EQ(RemarksAt("-"), EolRemarkCount);

    FillAll();
    EolResultsVin = "VIN";
    EolTestIdle = 0;
    EolPassedFlag = 1;
    ResetEolGlobals();
    EXPECT_TRUE(EolAllResultsNotTested());
    EXPECT_EQ(RemarksAt("-"), EolRemarkCount);
    EXPECT_TRUE(EolResultsVin.empty());
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(EolPassedFlag, 0);
}

} // namespace
