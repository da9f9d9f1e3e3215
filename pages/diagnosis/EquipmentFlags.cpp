#include "EquipmentFlags.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"

#include <charconv>
#include <limits>

namespace tarvel {
namespace {

// Language-table rows naming the parameter rows the tables react to.
constexpr int kRowBrakeChamberType = 170;
constexpr int kRowBrakeLampOutput = 172;
constexpr int kRowSensorConfiguration = 315;
constexpr int kRowAbsConfiguration = 316;
constexpr int kRowLevelControlMode = 317; // height sensor on axle 1 when "1"
constexpr int kRowAxleCount = 318;
constexpr int kRowSensorAssignment = 349;
constexpr int kRowRetarderOutput = 360;
constexpr int kRowStopLightSupply = 364;
constexpr int kRowFirstAxleLoad = 416; // five rows, axles 1..5
constexpr int kRowHeightSensorEF = 569; // height sensor on axle 2 when "2"
constexpr int kRowUnderwaterValve = 579;
constexpr int kRowsPerAxle = 6;
constexpr int kAxles = 5;

// Per axle k = 1..5 (index k - 1) the rows start at 319 + 6(k - 1):
// +0 sensed, +1 third modulator, +3 lift function A, +4 lift function B.
constexpr int SensedRow(int axle) { return 319 + kRowsPerAxle * axle; }
constexpr int ThirdModulatorRow(int axle) { return 320 + kRowsPerAxle * axle; }
constexpr int LiftARow(int axle) { return 322 + kRowsPerAxle * axle; }
constexpr int LiftBRow(int axle) { return 323 + kRowsPerAxle * axle; }

// True when the name is language row `row`. A row without text matches no
// name, so an unnamed grid row never counts as every row at once.
bool Is(const std::string& name, int row)
{
    if (row < 0 || static_cast<size_t>(row) >= LanguageTable.size()) return false;
    const std::string& text = LanguageTable[static_cast<size_t>(row)].text;
    return !text.empty() && name == text;
}

int32_t Flag(const std::string& value, const char* yes) { return value == yes ? 1 : 0; }

// The index (0..9) of the lift-function row the name is, or -1.
int LiftRowIndex(const std::string& name)
{
    for (int axle = 0; axle < kAxles; ++axle) {
        if (Is(name, LiftARow(axle))) return 2 * axle;
        if (Is(name, LiftBRow(axle))) return 2 * axle + 1;
    }
    return -1;
}

uint8_t LowByte(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFFu); }

// Decimal number as the axle-load rows give it; 0 when the text has none.
float ParameterTextToFloat(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    float value = 0.0f;
    auto result = std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc()) return 0.0f;
    return value;
}

// "%.1f" without depending on the process locale's decimal separator.
std::string FormatOneDecimal(float value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    if (result.ec != std::errc()) return std::string();
    return std::string(buffer, result.ptr);
}

struct TagRow {
    int rows[2];   // one or two names (0 = none)
    int bytes[2];  // plate bytes set to the value (-1 = none)
};

// Plate bytes taken from the value of a named row; the first matching line applies.
constexpr TagRow kTagRows[] = {
    {{599, 601}, {3, -1}},  {{600, 602}, {4, -1}},  {{603, 605}, {5, -1}},  {{604, 606}, {6, -1}},
    {{607, 0}, {7, -1}},    {{608, 0}, {8, -1}},    {{609, 0}, {9, -1}},    {{610, 0}, {10, -1}},
    {{611, 612}, {11, -1}}, {{613, 614}, {12, -1}}, {{615, 616}, {13, -1}}, {{617, 618}, {14, 16}},
    {{619, 620}, {15, -1}}, {{621, 0}, {16, -1}},   {{kRowBrakeChamberType, 0}, {17, -1}},
    {{622, 0}, {18, -1}},   {{kRowStopLightSupply, 0}, {19, -1}},
};

} // namespace

int32_t ParameterTextToInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

void ApplyParameterFeatureFlags(const std::string& name, const std::string& value)
{
    // Lift functions: the calibration exists while any lift row of the
    // current pass is on.
    if (LiftRowIndex(name) >= 0) {
        LiftingAxleRowValues.push_back(value);
        bool anyOn = false;
        for (const std::string& v : LiftingAxleRowValues) anyOn = anyOn || v == "1";
        if (anyOn) {
            LiftingAxleCalibrationEnabled = 1;
        } else {
            LiftingAxleCalibrationEnabled = 0;
            LiftingAxleTestEnabled = 0;
            LiftingSensorCalibrationEnabled = 0;
        }
    }

    if (Is(name, kRowSensorAssignment)) ParameterChoice = value == "1" ? 1 : value == "2" ? 2 : 0;

    if (Is(name, kRowBrakeLampOutput)) BrakeLampTestEnabled = Flag(value, "2");

    if (Is(name, kRowAxleCount)) {
        for (int n = 1; n <= kAxles; ++n)
            if (value == std::to_string(n)) AxleCount = n;
    }

    for (int axle = 0; axle < kAxles; ++axle) {
        if (Is(name, SensedRow(axle))) {
            AxleFeatureFlags[static_cast<size_t>(2 * axle)] = Flag(value, "1");
            break;
        }
        if (Is(name, ThirdModulatorRow(axle))) {
            AxleFeatureFlags[static_cast<size_t>(2 * axle + 1)] = Flag(value, "1");
            break;
        }
    }

    int lift = LiftRowIndex(name);
    if (lift >= 0) LiftingAxleFlags[static_cast<size_t>(lift)] = Flag(value, "1");
}

void ApplySystemVariantRule()
{
    if (SystemForm != "4S3M") return;
    const int n = AxleCount;
    if (n < 2 || n > kAxles) return;
    auto first = [](int axle) { return AxleFeatureFlags[static_cast<size_t>(2 * (axle - 1))] == 1; };
    auto second = [](int axle) { return AxleFeatureFlags[static_cast<size_t>(2 * (axle - 1) + 1)] == 1; };

    int k = 0;
    for (int axle = 1; axle <= n; ++axle) {
        if (second(axle)) {
            k = axle;
            break;
        }
    }
    if (k == 0) return; // no axle with a third modulator: unchanged
    if (k == 1) {
        DerivedSystemVariant = 0;
    } else if (n == 2) {
        return; // two axles, third modulator on axle 2: unchanged
    } else if (k == n) {
        DerivedSystemVariant = 1;
    } else {
        bool anySensedBefore = false;
        for (int axle = 1; axle < k; ++axle) anySensedBefore = anySensedBefore || first(axle);
        DerivedSystemVariant = anySensedBefore ? 1 : 0;
    }
}

void FillSystemTagValues(const std::string& name, const std::string& value)
{
    const int32_t v = ParameterTextToInt(value);

    // The height-sensor calibration exists when either axle has a sensor;
    // each row updates its own axle, so the order of the two rows does not
    // matter.
    if (Is(name, kRowLevelControlMode)) {
        HeightSensorAxle1Present = static_cast<uint8_t>(Flag(value, "1"));
        HeightSensorCalibrationEnabled = (HeightSensorAxle1Present == 1 || HeightSensorAxle2Present == 1) ? 1 : 0;
        SystemTagValues[0] = LowByte(v);
    } else if (Is(name, kRowHeightSensorEF)) {
        HeightSensorAxle2Present = static_cast<uint8_t>(Flag(value, "2"));
        HeightSensorCalibrationEnabled = (HeightSensorAxle1Present == 1 || HeightSensorAxle2Present == 1) ? 1 : 0;
    }

    if (Is(name, kRowUnderwaterValve)) UnderwaterValveTestEnabled = Flag(value, "2");

    int lift = LiftRowIndex(name);
    if (lift >= 0) {
        // Plate bytes 1 and 2: some axle has lift function A / B; never cleared.
        if (value == "1") SystemTagValues[lift % 2 == 0 ? 1 : 2] = 1;
        return;
    }
    for (const TagRow& row : kTagRows) {
        if (Is(name, row.rows[0]) || (row.rows[1] != 0 && Is(name, row.rows[1]))) {
            for (int byte : row.bytes)
                if (byte >= 0) SystemTagValues[static_cast<size_t>(byte)] = LowByte(v);
            return;
        }
    }
}

void StoreParameterValueTexts(const std::string& name, const std::string& value)
{
    if (Is(name, kRowAxleCount)) ParameterValueText1 = value;

    if (Is(name, kRowSensorConfiguration)) {
        if (value == "0") ParameterValueText2 = "0";
        else if (value == "1") ParameterValueText2 = "1";
        else if (value == "2") ParameterValueText2 = "0";
        else if (value == "3") ParameterValueText2 = "2";
        else if (value == "4") ParameterValueText2 = "3";
    }

    if (Is(name, kRowAbsConfiguration)) ParameterValueText3 = value;
    if (Is(name, kRowLevelControlMode)) ParameterValueText4 = value;

    if (Is(name, kRowRetarderOutput)) {
        if (value == "0" || value == "2") ParameterValueText5 = "ON";
        else if (value == "1" || value == "3") ParameterValueText5 = "OFF";
    }

    if (Is(name, kRowFirstAxleLoad)) {
        ParameterValueSum = ParameterTextToFloat(value);
    } else if (Is(name, kRowFirstAxleLoad + 1) || Is(name, kRowFirstAxleLoad + 2) ||
               Is(name, kRowFirstAxleLoad + 3)) {
        ParameterValueSum += ParameterTextToFloat(value);
    } else if (Is(name, kRowFirstAxleLoad + 4)) {
        ParameterValueSum += ParameterTextToFloat(value);
        ParameterValueText6 = FormatOneDecimal(ParameterValueSum);
    }

    int lift = LiftRowIndex(name);
    if (lift == 0) {
        LiftingAxleRowCount = value == "1" ? 1 : 0;
    } else if (lift > 0) {
        if (value == "1") ++LiftingAxleRowCount;
        if (lift == 2 * kAxles - 1) ParameterValueText7 = std::to_string(LiftingAxleRowCount);
    }
}

void RunParameterFlagPass(const std::vector<ParameterRow>& rows, FlagPass pass)
{
    LiftingAxleRowValues.clear();
    for (const ParameterRow& row : rows) {
        ApplyParameterFeatureFlags(row.name, row.value);
        if (pass == FlagPass::GridFill) FillSystemTagValues(row.name, row.value);
    }
    ApplySystemVariantRule();
}

} // namespace tarvel
