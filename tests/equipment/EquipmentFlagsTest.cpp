#include "EquipmentTestSupport.h"

#include "ProgramPaths.h"
#include "Prompter.h"

#include <set>

using namespace tarvel;
using equipment_test::Row;
using equipment_test::T;

namespace {

class EquipmentFlags : public equipment_test::EquipmentTest {};

// Rows of axle k (1..5).
int Sensed(int k) { return 319 + 6 * (k - 1); }
int ThirdModulator(int k) { return 320 + 6 * (k - 1); }
int LiftA(int k) { return 322 + 6 * (k - 1); }
int LiftB(int k) { return 323 + 6 * (k - 1); }

std::vector<int> LiftRows()
{
    std::vector<int> rows;
    for (int k = 1; k <= 5; ++k) {
        rows.push_back(LiftA(k));
        rows.push_back(LiftB(k));
    }
    return rows;
}

TEST_F(EquipmentFlags, LiftFunctionsEnableTheCalibrationUntilAPassHasNoneOn)
{
    RunParameterFlagPass({Row(LiftA(1), "0"), Row(LiftB(1), "1"), Row(LiftA(2), "0")}, FlagPass::GridFill);
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_EQ(LiftingAxleRowValues, (std::vector<std::string>{"0", "1", "0"}));
    EXPECT_EQ(LiftingAxleFlags[0], 0);
    EXPECT_EQ(LiftingAxleFlags[1], 1);
    EXPECT_EQ(LiftingAxleFlags[2], 0);

    // The lifting-axle configuration then enables the test and the sensor
    // calibration; an edit that turns every lift function off clears all three.
    LiftingAxleTestEnabled = 1;
    LiftingSensorCalibrationEnabled = 1;
    RunParameterFlagPass({Row(LiftA(1), "0"), Row(LiftB(1), "0"), Row(LiftA(2), "0")}, FlagPass::EditOrFileLoad);
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 0);
    EXPECT_EQ(LiftingAxleTestEnabled, 0);
    EXPECT_EQ(LiftingSensorCalibrationEnabled, 0);
    EXPECT_EQ(LiftingAxleFlags[1], 0);
}

TEST_F(EquipmentFlags, WithinAPassTheFlagFollowsTheRowsSeenSoFar)
{
    ApplyParameterFeatureFlags(T(LiftA(1)), "0");
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 0);
    ApplyParameterFeatureFlags(T(LiftB(1)), "1");
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    ApplyParameterFeatureFlags(T(LiftA(2)), "0");
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    // A pass without lift rows (another record) leaves the flag alone.
    RunParameterFlagPass({Row(172, "0")}, FlagPass::GridFill);
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
}

TEST_F(EquipmentFlags, EachAxleRowSetsItsOwnFlag)
{
    for (int k = 1; k <= 5; ++k) {
        struct {
            int row;
            std::array<int32_t, 10>* flags;
            size_t index;
        } cases[] = {
            {Sensed(k), &AxleFeatureFlags, static_cast<size_t>(2 * (k - 1))},
            {ThirdModulator(k), &AxleFeatureFlags, static_cast<size_t>(2 * (k - 1) + 1)},
            {LiftA(k), &LiftingAxleFlags, static_cast<size_t>(2 * (k - 1))},
            {LiftB(k), &LiftingAxleFlags, static_cast<size_t>(2 * (k - 1) + 1)},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(T(c.row));
            ResetDiagnosisGlobals();
            ApplyParameterFeatureFlags(T(c.row), "1");
            std::array<int32_t, 10> expected{};
            expected[c.index] = 1;
            EXPECT_EQ(*c.flags, expected);
            EXPECT_EQ(c.flags == &AxleFeatureFlags ? LiftingAxleFlags : AxleFeatureFlags, (std::array<int32_t, 10>{}));
            ApplyParameterFeatureFlags(T(c.row), "2"); // only "1" counts
            EXPECT_EQ((*c.flags)[c.index], 0);
        }
    }
    // The twin-tyre and reserved rows of an axle are no equipment flags.
    ApplyParameterFeatureFlags(T(321), "1");
    ApplyParameterFeatureFlags(T(324), "1");
    EXPECT_EQ(AxleFeatureFlags, (std::array<int32_t, 10>{}));
    EXPECT_EQ(LiftingAxleFlags, (std::array<int32_t, 10>{}));
}

TEST_F(EquipmentFlags, ChoiceBrakeLampAndAxleCountRows)
{
    struct {
        std::string value;
        int32_t choice;
        int32_t brakeLamp;
    } cases[] = {{"0", 0, 0}, {"1", 1, 0}, {"2", 2, 1}, {"3", 0, 0}, {"02", 0, 0}, {"", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ParameterChoice = 9;
        BrakeLampTestEnabled = 9;
        ApplyParameterFeatureFlags(T(349), c.value);
        ApplyParameterFeatureFlags(T(172), c.value);
        EXPECT_EQ(ParameterChoice, c.choice);
        EXPECT_EQ(BrakeLampTestEnabled, c.brakeLamp);
    }

    ApplyParameterFeatureFlags(T(318), "3");
    EXPECT_EQ(AxleCount, 3);
    for (const char* ignored : {"7", "0", "6", " 4", "4.0", ""}) {
        ApplyParameterFeatureFlags(T(318), ignored);
        EXPECT_EQ(AxleCount, 3) << ignored;
    }
    ApplyParameterFeatureFlags(T(318), "5");
    EXPECT_EQ(AxleCount, 5);
}

TEST_F(EquipmentFlags, ARowWithoutTextInTheLanguageTableMatchesNothing)
{
    LanguageTable[172].text.clear();
    ApplyParameterFeatureFlags("", "2");
    EXPECT_EQ(BrakeLampTestEnabled, 0);
    LanguageTable.resize(300); // rows past the end of the table
    ApplyParameterFeatureFlags(T(318), "3");
    EXPECT_EQ(AxleCount, 0);
}

// The variant of a "4S3M" system: n axles, the first axle k with a third
// modulator, and the sensed axles.
struct VariantCase {
    int n;
    std::set<int> third;  // axles whose second flag is 1
    std::set<int> sensed; // axles whose first flag is 1
    int expected;         // kUnchanged: keeps its previous value
};
constexpr int kUnchanged = 42;

std::vector<ParameterRow> VariantRows(const VariantCase& c)
{
    std::vector<ParameterRow> rows{Row(318, std::to_string(c.n))};
    for (int k = 1; k <= 5; ++k) {
        rows.push_back(Row(Sensed(k), c.sensed.count(k) ? "1" : "0"));
        rows.push_back(Row(ThirdModulator(k), c.third.count(k) ? "1" : "0"));
    }
    return rows;
}

TEST_F(EquipmentFlags, VariantRuleOfA4S3MSystem)
{
    const VariantCase cases[] = {
        // two axles
        {2, {1}, {}, 0},
        {2, {1}, {1, 2}, 0},
        {2, {2}, {1}, kUnchanged},
        {2, {}, {1, 2}, kUnchanged},
        {2, {3}, {1}, kUnchanged}, // axle 3 is not among the two
        // three axles
        {3, {1}, {1}, 0},
        {3, {2}, {1}, 1},
        {3, {2}, {}, 0},
        {3, {2}, {2, 3}, 0},
        {3, {3}, {}, 1},
        {3, {2, 3}, {}, 0}, // the first such axle counts
        {3, {}, {1, 2, 3}, kUnchanged},
        {3, {4}, {1}, kUnchanged},
        // four axles
        {4, {1}, {1, 2, 3}, 0},
        {4, {2}, {1}, 1},
        {4, {2}, {3}, 0},
        {4, {3}, {1}, 1},
        {4, {3}, {2}, 1},
        {4, {3}, {3, 4}, 0},
        {4, {4}, {}, 1},
        {4, {}, {1}, kUnchanged},
        {4, {5}, {1}, kUnchanged},
        // five axles
        {5, {1}, {}, 0},
        {5, {2}, {1}, 1},
        {5, {2}, {2}, 0},
        {5, {3}, {2}, 1},
        {5, {3}, {}, 0},
        {5, {4}, {3}, 1},
        {5, {4}, {1}, 1},
        {5, {4}, {4, 5}, 0},
        {5, {5}, {}, 1},
        {5, {}, {1, 2, 3, 4, 5}, kUnchanged},
    };
    for (const VariantCase& c : cases) {
        SCOPED_TRACE("n=" + std::to_string(c.n) + " case " + std::to_string(&c - cases));
        ResetDiagnosisGlobals();
        SystemForm = "4S3M";
        DerivedSystemVariant = kUnchanged;
        RunParameterFlagPass(VariantRows(c), FlagPass::EditOrFileLoad);
        EXPECT_EQ(DerivedSystemVariant, c.expected);

        // Other system forms never derive a variant.
        for (const char* form : {"2S2M", "4S2M", ""}) {
            ResetDiagnosisGlobals();
            SystemForm = form;
            RunParameterFlagPass(VariantRows(c), FlagPass::GridFill);
            EXPECT_EQ(DerivedSystemVariant, -1) << form;
        }
    }
}

TEST_F(EquipmentFlags, VariantRuleLeavesOtherAxleCountsAlone)
{
    SystemForm = "4S3M";
    AxleCount = 1;
    AxleFeatureFlags[1] = 1;
    ApplySystemVariantRule();
    EXPECT_EQ(DerivedSystemVariant, -1);
    AxleCount = 0;
    ApplySystemVariantRule();
    EXPECT_EQ(DerivedSystemVariant, -1);
}

TEST_F(EquipmentFlags, VariantRuleUsesThePassesFinalFlagsOnly)
{
    // Flags left from a pass under another system form: axle 1 has a third modulator.
    SystemForm = "4S2M";
    RunParameterFlagPass({Row(318, "3"), Row(ThirdModulator(1), "1")}, FlagPass::GridFill);
    EXPECT_EQ(DerivedSystemVariant, -1);

    // The new pass names the axle count before it clears that flag; no axle
    // has a third modulator at its end, so the variant stays undetermined.
    SystemForm = "4S3M";
    RunParameterFlagPass({Row(318, "3"), Row(ThirdModulator(1), "0"), Row(Sensed(1), "1")}, FlagPass::GridFill);
    EXPECT_EQ(DerivedSystemVariant, -1);

    // Single rows never derive the variant by themselves.
    ApplyParameterFeatureFlags(T(ThirdModulator(1)), "1");
    EXPECT_EQ(DerivedSystemVariant, -1);
    ApplySystemVariantRule();
    EXPECT_EQ(DerivedSystemVariant, 0);
}

TEST(ParameterNumbers, DecimalTextToInteger)
{
    struct {
        const char* text;
        int32_t value;
    } cases[] = {{"0", 0},      {"17", 17},   {"300", 300}, {"12abc", 12},         {"abc", 0},
                 {"", 0},       {" 42", 42},  {"-1", -1},   {"+5", 5},             {"3.9", 3},
                 {"0x10", 0},   {"007", 7},   {"-", 0},     {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases) EXPECT_EQ(ParameterTextToInt(c.text), c.value) << c.text;
}

// Plate bytes a row sets when its value is v (bytes named here take v's low
// eight bits, every other byte stays 0xFF).
struct TagCase {
    int row;
    std::vector<size_t> bytes;
};

TEST_F(EquipmentFlags, SystemTagValuesOfEveryNamedRow)
{
    const TagCase cases[] = {
        {317, {0}},  {599, {3}},  {601, {3}},  {600, {4}},  {602, {4}},      {603, {5}},  {605, {5}},
        {604, {6}},  {606, {6}},  {607, {7}},  {608, {8}},  {609, {9}},      {610, {10}}, {611, {11}},
        {612, {11}}, {613, {12}}, {614, {12}}, {615, {13}}, {616, {13}},     {617, {14, 16}},
        {618, {14, 16}}, {619, {15}}, {620, {15}}, {621, {16}}, {170, {17}}, {622, {18}}, {364, {19}},
        // rows that set no plate byte
        {569, {}},   {579, {}},   {318, {}},   {172, {}},   {598, {}},       {623, {}},
    };
    for (const TagCase& c : cases) {
        for (const std::pair<const char*, uint8_t>& value :
             {std::pair<const char*, uint8_t>{"300", 44}, {"7", 7}, {"-1", 0xFF}, {"x", 0}}) {
            SCOPED_TRACE(T(c.row) + " = " + value.first);
            ResetDiagnosisGlobals();
            FillSystemTagValues(T(c.row), value.first);
            std::array<uint8_t, 20> expected;
            expected.fill(0xFF);
            for (size_t byte : c.bytes) expected[byte] = value.second;
            EXPECT_EQ(SystemTagValues, expected);
        }
    }
}

TEST_F(EquipmentFlags, LiftFunctionsMarkThePlateAndAreNeverCleared)
{
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        ResetDiagnosisGlobals();
        FillSystemTagValues(T(LiftA(k)), "0");
        FillSystemTagValues(T(LiftB(k)), "2");
        EXPECT_EQ(SystemTagValues[1], 0xFF);
        EXPECT_EQ(SystemTagValues[2], 0xFF);
        FillSystemTagValues(T(LiftA(k)), "1");
        EXPECT_EQ(SystemTagValues[1], 1);
        EXPECT_EQ(SystemTagValues[2], 0xFF);
        FillSystemTagValues(T(LiftB(k)), "1");
        EXPECT_EQ(SystemTagValues[2], 1);
        FillSystemTagValues(T(LiftA(k)), "0");
        FillSystemTagValues(T(LiftB(k)), "0");
        EXPECT_EQ(SystemTagValues[1], 1);
        EXPECT_EQ(SystemTagValues[2], 1);
    }
}

TEST_F(EquipmentFlags, UnderwaterValveRow)
{
    for (const std::pair<const char*, int32_t>& c : {std::pair<const char*, int32_t>{"2", 1}, {"1", 0}, {"0", 0}}) {
        UnderwaterValveTestEnabled = 9;
        FillSystemTagValues(T(579), c.first);
        EXPECT_EQ(UnderwaterValveTestEnabled, c.second) << c.first;
    }
}

TEST_F(EquipmentFlags, HeightSensorOnEitherAxleEnablesItsCalibrationWhateverTheRowOrder)
{
    struct {
        std::vector<ParameterRow> rows;
        int32_t enabled;
        uint8_t axle1;
        uint8_t axle2;
    } cases[] = {
        {{Row(317, "1"), Row(569, "0")}, 1, 1, 0}, // sensor on axle 1 only
        {{Row(569, "0"), Row(317, "1")}, 1, 1, 0},
        {{Row(317, "0"), Row(569, "2")}, 1, 0, 1},
        {{Row(569, "2"), Row(317, "0")}, 1, 0, 1},
        {{Row(317, "1"), Row(569, "2")}, 1, 1, 1},
        {{Row(317, "0"), Row(569, "0")}, 0, 0, 0},
        {{Row(317, "2"), Row(569, "1")}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows[0].name + "=" + c.rows[0].value + ", " + c.rows[1].name + "=" + c.rows[1].value);
        ResetDiagnosisGlobals();
        RunParameterFlagPass(c.rows, FlagPass::GridFill);
        EXPECT_EQ(HeightSensorCalibrationEnabled, c.enabled);
        EXPECT_EQ(HeightSensorAxle1Present, c.axle1);
        EXPECT_EQ(HeightSensorAxle2Present, c.axle2);
    }

    // A later vehicle configuration without height sensors clears it again,
    // also when nobody cleared the flag before the pass.
    RunParameterFlagPass({Row(317, "1"), Row(569, "2")}, FlagPass::GridFill);
    RunParameterFlagPass({Row(317, "0"), Row(569, "0")}, FlagPass::GridFill);
    EXPECT_EQ(HeightSensorCalibrationEnabled, 0);

    // After the flag was cleared before a read, a sensor on axle 1 alone sets it.
    HeightSensorCalibrationEnabled = 0;
    RunParameterFlagPass({Row(317, "1"), Row(569, "0")}, FlagPass::GridFill);
    EXPECT_EQ(HeightSensorCalibrationEnabled, 1);
}

TEST_F(EquipmentFlags, EditsAndFileLoadsDoNotTouchSystemTagValues)
{
    RunParameterFlagPass({Row(317, "1"), Row(579, "2"), Row(607, "5"), Row(172, "2")}, FlagPass::EditOrFileLoad);
    EXPECT_EQ(HeightSensorCalibrationEnabled, 0);
    EXPECT_EQ(UnderwaterValveTestEnabled, 0);
    EXPECT_EQ(SystemTagValues[7], 0xFF);
    EXPECT_EQ(BrakeLampTestEnabled, 1);
    RunParameterFlagPass({Row(317, "1"), Row(579, "2"), Row(607, "5")}, FlagPass::GridFill);
    EXPECT_EQ(HeightSensorCalibrationEnabled, 1);
    EXPECT_EQ(UnderwaterValveTestEnabled, 1);
    EXPECT_EQ(SystemTagValues[7], 5);
}

TEST_F(EquipmentFlags, AxleLoadsAddUpToOneDecimal)
{
    const char* values[] = {"1", "2", "3", "4", "5.5"};
    for (int i = 0; i < 5; ++i) StoreParameterValueTexts(T(416 + i), values[i]);
    EXPECT_EQ(ParameterValueText6, "15.5");

    // The first axle's row starts the sum again; the text changes only with the last.
    StoreParameterValueTexts(T(416), "10");
    StoreParameterValueTexts(T(417), "0.3");
    EXPECT_EQ(ParameterValueText6, "15.5");
    StoreParameterValueTexts(T(418), "abc");
    StoreParameterValueTexts(T(419), "0");
    StoreParameterValueTexts(T(420), "2");
    EXPECT_EQ(ParameterValueText6, "12.3");
    EXPECT_NEAR(ParameterValueSum, 12.3f, 1e-5f);
}

TEST_F(EquipmentFlags, LiftFunctionsOnAreCounted)
{
    const std::vector<int> rows = LiftRows();
    const std::set<int> on = {LiftB(1), LiftA(3), LiftB(5)};
    for (int row : rows) StoreParameterValueTexts(T(row), on.count(row) ? "1" : "0");
    EXPECT_EQ(ParameterValueText7, "3");
    EXPECT_EQ(LiftingAxleRowCount, 3);

    // A new pass starts counting at axle 1's first row.
    for (int row : rows) StoreParameterValueTexts(T(row), row == LiftA(1) ? "1" : "0");
    EXPECT_EQ(ParameterValueText7, "1");
    for (int row : rows) StoreParameterValueTexts(T(row), "0");
    EXPECT_EQ(ParameterValueText7, "0");
}

TEST_F(EquipmentFlags, RecorderTextsOfTheVehicleConfiguration)
{
    StoreParameterValueTexts(T(318), "4");
    StoreParameterValueTexts(T(316), "abc");
    StoreParameterValueTexts(T(317), "2");
    EXPECT_EQ(ParameterValueText1, "4");
    EXPECT_EQ(ParameterValueText3, "abc");
    EXPECT_EQ(ParameterValueText4, "2");

    struct {
        const char* value;
        const char* text2; // nullptr: unchanged
        const char* text5;
    } cases[] = {{"0", "0", "ON"},        {"1", "1", "OFF"},       {"2", "0", "ON"},        {"3", "2", "OFF"},
                 {"4", "3", nullptr},     {"5", nullptr, nullptr}, {"", nullptr, nullptr}, {"01", nullptr, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ParameterValueText2 = "before";
        ParameterValueText5 = "before";
        StoreParameterValueTexts(T(315), c.value);
        StoreParameterValueTexts(T(360), c.value);
        EXPECT_EQ(ParameterValueText2, c.text2 ? c.text2 : "before");
        EXPECT_EQ(ParameterValueText5, c.text5 ? c.text5 : "before");
    }
}

TEST_F(EquipmentFlags, ResetRestoresTheLoadValues)
{
    RunParameterFlagPass({Row(318, "3"), Row(LiftA(1), "1"), Row(317, "1"), Row(607, "1")}, FlagPass::GridFill);
    StoreParameterValueTexts(T(318), "3");
    DerivedSystemVariant = 1;
    ResetDiagnosisGlobals();
    EXPECT_EQ(AxleCount, 0);
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 0);
    EXPECT_EQ(HeightSensorCalibrationEnabled, 0);
    EXPECT_EQ(HeightSensorAxle1Present, 0);
    EXPECT_EQ(DerivedSystemVariant, -1);
    EXPECT_TRUE(LiftingAxleRowValues.empty());
    EXPECT_TRUE(ParameterValueText1.empty());
    std::array<uint8_t, 20> ff;
    ff.fill(0xFF);
    EXPECT_EQ(SystemTagValues, ff);
    EXPECT_EQ(LiftingAxleFlags, (std::array<int32_t, 10>{}));
}

// The shipped language file must name every row the tables react to, with
// texts that differ from each other, in every language.
TEST(EquipmentLanguageRows, ShippedRowsAreNamedAndDistinct)
{
    RecordingPrompter prompter;
    ScopedPrompter scopedPrompter(prompter);
    ScopedProgramFolder folder(TARVEL_DATA_DIR);
    std::vector<int> rows = {170, 172, 315, 316, 317, 318, 349, 360, 364, 569, 579};
    for (int k = 1; k <= 5; ++k)
        for (int row : {Sensed(k), ThirdModulator(k), LiftA(k), LiftB(k), 415 + k}) rows.push_back(row);
    for (int row = 599; row <= 622; ++row) rows.push_back(row);
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        std::set<std::string> texts;
        for (int row : rows) {
            EXPECT_FALSE(LanguageText(row).empty()) << row;
            EXPECT_TRUE(texts.insert(LanguageText(row)).second) << "row " << row << " repeats " << LanguageText(row);
        }
    }
    LanguageTable.clear();
    LanguageIndex = -1;
    EXPECT_EQ(prompter.Count(), 0u);
}

} // namespace
