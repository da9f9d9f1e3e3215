#include "SystemTagPlate.h"

#include "ReportBrand.h"
#include "ReportGlobals.h"
#include "ReportPictures.h"
#include "ReportTextTable.h"
#include "TextFit.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"

#include <cctype>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <vector>

namespace tarvel::report {

namespace {

constexpr int kChinese = 0;
constexpr int kPortuguese = 4;

// Distance from the top of the axle rows 1..5.
constexpr float kAxleRowV[5] = {478, 499, 519, 539, 559};

// The texts of a row split into words: leading blanks skipped, each blank a separator.
std::vector<std::string> Words(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::vector<std::string> words;
    std::string word;
    for (; i < text.size(); ++i) {
        if (text[i] == ' ') {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(text[i]);
        }
    }
    words.push_back(word);
    return words;
}

// The first word of a text and everything after the blank that ends it.
void SplitFirstWord(const std::string& text, std::string& first, std::string& rest)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const size_t end = text.find(' ', i);
    if (end == std::string::npos) {
        first = text.substr(i);
        rest.clear();
    } else {
        first = text.substr(i, end - i);
        rest = text.substr(end + 1);
    }
}

// The cell of the lower table's axle rows (20 high from v 465) that holds
// the baseline v, between the rules at `left` and `right`.
TextRoom AxleRowCell(float left, float right, float v)
{
    const float top = 465.0f + 20.0f * std::floor((v - 465.0f) / 20.0f);
    return {left, top, right, top + 20.0f};
}

// Box x of the diagram's axle columns; empty when the count is not 1..5.
std::vector<float> AxleColumns(int axleCount)
{
    switch (axleCount) {
    case 1: return {590};
    case 2: return {565, 615};
    case 3: return {565, 590, 615};
    case 4: return {540, 565, 590, 615};
    case 5: return {540, 565, 590, 615, 640};
    default: return {};
    }
}

class PlateDrawer {
public:
    PlateDrawer(PdfCanvas& canvas, const SystemTagPlateInputs& in, PlateVariant variant)
        : canvas_(canvas), in_(in), variant_(variant), font_(ReportFontForLanguage(in.language))
    {
    }

    void Draw()
    {
        canvas_.AddPage(PdfPageSize::A4, PdfOrientation::Landscape);
        Title();
        Labels();
        Values();
        Pictures();
        Letters();
        LiftingMarks();
        Rules();
    }

private:
    float H() const { return canvas_.PageHeight(); }
    float W() const { return canvas_.PageWidth(); }
    // A text and the cell it stands in: left and right x, top and bottom v.
    void Text(float x, float v, const std::string& text, const TextRoom& room) { DrawTextInRoom(canvas_, x, v, text, room); }
    void Value(float x, float v, const std::string& text, const TextRoom& room)
    {
        Text(x, v, CutForFont(text, font_), room);
    }
    void Row(float x, float v, int row, const TextRoom& room) { Text(x, v, PdfText(row), room); }

    void Title()
    {
        float x = 185;
        if (in_.brandIndex == 0)
            x = 220;
        else if (in_.brandIndex == 2 && in_.language == kPortuguese)
            x = 160;
        canvas_.SetFont(font_, 22);
        canvas_.BeginText();
        TextFit title;
        title.text = BrandWord(in_.brandIndex) + PdfText(2);
        title.x = x;
        title.depth = 58;
        title.room = {130, 30, W() / 2 + 50, 70}; // the title box
        title.size = 22;
        title.floor = kTitleFloor;
        ShowFittedLines(canvas_, FitText(canvas_.Font(), title));
        canvas_.EndText();
    }

    void Labels()
    {
        const int L = in_.language;
        const bool eol = variant_ == PlateVariant::EolReport;
        const float gridRight = W() / 3 + 100;
        const float gio = W() / 3 + 110;
        const float right = W() - 30;
        canvas_.SetFont(font_, 9);
        canvas_.BeginText();
        // The identification grid: rows 35 high from v 80, the label column
        // up to x 160.
        Row(L == kChinese ? 82 : 62, 100, 3, {30, 80, 160, 115});
        Row(82, 135, 4, {30, 115, 160, 150});
        Row(L == kPortuguese ? 55 : L == kChinese ? 82 : 85, 170, 5, {30, 150, 160, 185});
        const TextRoom yearCell{30, 185, 160, 220};
        if (L == kPortuguese) {
            std::string first, rest;
            SplitFirstWord(PdfText(6), first, rest);
            DrawPresetInRoom(canvas_, {{58, 200, 0, first}, {38, 214, 0, rest}}, 58, 205, PdfText(6), yearCell);
        } else {
            Row(L == kChinese ? 72 : 38, 205, 6, yearCell);
        }
        // Two lines share the cells of the row at v 220..255.
        Row(L == kPortuguese ? 32 : L == kChinese ? 72 : 53, 236, 7, {30, 220, 160, 241});
        Text(68, 250, "c-d | e-f", {30, 241, 160, 255});
        Row(L == kPortuguese ? 255 : L == kChinese ? 262 : 265, 235, 8, {245, 220, 300, 241.5f});
        Row(258, 248, 9, {245, 241.5f, 300, 255});
        // The load-sensing label fills the cell of two rows left of x 80.
        const TextRoom loadCell{30, 255, 80, 325};
        if (L == kPortuguese) {
            const std::vector<std::string> words = Words(PdfText(10));
            std::vector<FittedLine> preset;
            const float at[3][2] = {{38, 280}, {45, 293}, {31, 303}};
            if (words.size() <= 3)
                for (size_t i = 0; i < words.size(); ++i)
                    preset.push_back({at[i][0], at[i][1], 0, words[i]});
            DrawPresetInRoom(canvas_, preset, 38, 293, PdfText(10), loadCell);
        } else {
            Row(48, 293, 10, loadCell);
        }
        Row(L == kChinese ? 212 : 207, 310, 14, {200, 290, 300, 325});
        Row(L == kChinese ? 250 : 263, 345, 16, {245, 325, 300, 360});
        Row(eol && L == kChinese ? 95 : 91, 276, 11, {80, 255, 160, 290});
        Row(95, 310, 12, {80, 290, 160, 325});
        Row(eol && L == kChinese ? 52 : 42, 345, 15, {30, 325, 110, 360});
        Row(215, 276, 13, {200, 255, 300, 290});
        // The GIO table: rows 20 high from v 80.
        Text(402, 93, "GIO", {gio, 80, W() / 3 + 150, 100});
        Row(482, 93, 17, {W() / 3 + 150, 80, W() / 3 + 280, 100});
        Row(615, 93, 18, {W() / 3 + 280, 80, W() / 3 + 410, 100});
        Row(737, 93, 19, {W() / 3 + 410, 80, right, 100});
        const float gioRows[7] = {114, 134, 155, 175, 194, 214, 234};
        for (int i = 0; i < 7; ++i)
            Text(407, gioRows[i], std::to_string(i + 1), {gio, 100.0f + 20.0f * i, W() / 3 + 150, 120.0f + 20.0f * i});
        // The lower table.
        Row(39, 451, 22, {30, 430, 70, 465});
        for (int k = 0; k < 5; ++k)
            Text(47, kAxleRowV[k], std::to_string(k + 1), AxleRowCell(30, 70, kAxleRowV[k]));
        Text(96, 423, "pm(bar)", {70, 410, 160, 430});
        Text(171, 423, "6.5", {160, 410, 200, 430});
        Text(227, 423, "pm(bar)", {200, 410, 290, 430});
        Text(302, 423, "0.6", {290, 410, 330, 430});
        Text(341, 423, "2.0", {330, 410, 370, 430});
        Text(380, 423, "---", {370, 410, 410, 430});
        Text(421, 423, "6.5", {410, 410, 450, 430});
        Row(508, 456, 23, {490, 370, 552, 465});
        Text(571, 456, "(mm)", {552, 370, 614, 465});
        Text(634, 456, "(mm)", {614, 370, 676, 465});
        Text(765, 395, "(bar)", {676, 370, right, 410});
        Text(770, 423, "Pz", {738, 410, right, 430});
        // Open ground between the tables, left of the diagram's picture.
        Text(482, 306, "<<<", {gridRight, 240, 505, 370});
        canvas_.EndText();
    }

    void Values()
    {
        const float gridRight = W() / 3 + 100;
        canvas_.SetFont(font_, 11);
        canvas_.BeginText();
        Value(180, 100, in_.Text(kPlateManufacturer), {160, 80, gridRight, 115});
        Value(180, 135, in_.Text(kPlateType), {160, 115, gridRight, 150});
        Value(180, 170, in_.Text(kPlateVin), {160, 150, gridRight, 185});
        Value(180, 205, in_.Text(kPlate586), {160, 185, gridRight, 220});
        Value(165, 240, in_.Text(kPlate356), {160, 220, 200, 255});
        Value(210, 240, in_.Text(kPlate357), {200, 220, 245, 255});
        Value(320, 240, in_.Text(kPlateAbsConfiguration), {300, 220, gridRight, 255});
        const std::string mark = in_.language == kChinese ? std::string("\xE2\x88\x9A") : PdfText(110);
        if (in_.Text(kPlate361) == "1")
            Value(175, 276, mark, {160, 255, 200, 290});
        else if (in_.Text(kPlate361) == "2")
            Value(175, 310, mark, {160, 290, 200, 325});
        const int rows = LeadingInteger(in_.Text(kPlateAxleCount));
        for (int k = 1; k <= rows && k <= 5; ++k) {
            const float v = kAxleRowV[k - 1];
            Value(82, v, in_.Text(kPlate411 + k - 1), AxleRowCell(70, 120, v));
            Value(209, v, in_.Text(kPlate416 + k - 1), AxleRowCell(200, 250, v));
            DrawAxleBlock(canvas_, in_, v, in_.Text(kPlateAxleFlag1 + k - 1));
        }
        canvas_.EndText();
    }

    // Loads a picture once and draws it at each (x, v).
    void Picture(const char* file, std::initializer_list<std::pair<float, float>> at, float width, float height)
    {
        const PdfImage image = LoadReportPicture(canvas_, file);
        if (!image)
            return;
        for (const auto& p : at)
            DrawImageFromTop(canvas_, image, p.first, p.second, width, height);
    }

    void Pictures()
    {
        if (in_.brandIndex == 1 || in_.brandIndex == 2) {
            Picture("ReportImage/logo.jpg", {{30, 75}}, 90, 50);
        } else {
            const PdfImage logo = BitmapResourceToTempJpeg(canvas_, kBuiltinLogoResource);
            if (logo)
                DrawImageFromTop(canvas_, logo, 30, 75, 90, 50);
        }
        const std::string& count = in_.Text(kPlateAxleCount);
        const std::string n = (count.size() == 1 && count[0] >= '1' && count[0] <= '5') ? count : "1";
        Picture(("ReportImage/unladen_axle_" + n + ".png").c_str(), {{105, 405}}, 60, 30);
        Picture(("ReportImage/laden_axle_" + n + ".png").c_str(), {{300, 405}}, 60, 30);
        Picture("ReportImage/load.png", {{80, 461}, {209, 461}}, 35, 30);
        if (in_.heightSensorMode == 2) {
            Picture("ReportImage/loadPressure.png", {{124, 462}, {254, 462}}, 35, 30);
            Picture("ReportImage/liftingBridge.png", {{452, 405}}, 35, 25);
        } else if (in_.heightSensorMode == 1) {
            Picture("ReportImage/heightSensorZero.png", {{124, 462}}, 35, 30);
            Picture("ReportImage/heightSensorDistance.png", {{254, 462}}, 35, 30);
            Picture("ReportImage/heightSensorLength.png", {{452, 405}}, 35, 25);
        }
        const PdfImage pressure = LoadReportPicture(canvas_, "ReportImage/breakPressure.png");
        if (pressure) {
            DrawImageFromTop(canvas_, pressure, 164, 463, 35, 30);
            DrawImageFromTop(canvas_, pressure, 333, 463, 35, 30);
        }
        Picture("ReportImage/row11.png", {{498, 420}}, 50, 25);
        Picture("ReportImage/row12.png", {{557, 430}}, 50, 35);
        Picture("ReportImage/row13.png", {{622, 430}}, 50, 35);
        if (pressure)
            DrawImageFromTop(canvas_, pressure, 712, 405, 35, 30);
        Picture("ReportImage/gray_bg.png", {{505, 325}}, 160, 45);

        // The axle diagram's boxes, each loaded on its own.
        std::vector<float> columns = AxleColumns(in_.axleCount);
        const bool counted = !columns.empty();
        if (!counted && variant_ == PlateVariant::SystemTag)
            columns = {590};
        for (float x : columns) {
            Picture("ReportImage/gray_bg2.png", {{x, 341}}, 20, 15);
            Picture("ReportImage/gray_bg2.png", {{x, 279}}, 20, 15);
            if (counted && in_.liftingAxleCalibrationEnabled == 1)
                Picture("ReportImage/gray_bg2.png", {{x, 358}}, 20, 15);
        }
    }

    void Letters()
    {
        const std::vector<float> columns = AxleColumns(in_.axleCount);
        if (columns.empty() || (in_.parameterChoice != 1 && in_.parameterChoice != 2))
            return;
        const bool swapped = in_.parameterChoice == 2;
        canvas_.SetFont(font_, 13);
        canvas_.BeginText();
        // In the axle's column, on its two boxes.
        auto pair = [&](float x, const char* upper, const char* lower) {
            Text(x + 7, 338, swapped ? lower : upper, {x - 2, 323, x + 22, 343});
            Text(x + 7, 276, swapped ? upper : lower, {x - 2, 261, x + 22, 281});
        };
        if (columns.size() == 1) {
            pair(columns[0], "c", "d");
        } else {
            for (size_t k = 0; k < columns.size(); ++k)
                if (in_.axleFeatureFlags[2 * k] == 1)
                    pair(columns[k], "c", "d");
            for (size_t k = 0; k < columns.size(); ++k)
                if (in_.axleFeatureFlags[2 * k + 1] == 1)
                    pair(columns[k], "e", "f");
        }
        canvas_.EndText();
    }

    void LiftingMarks()
    {
        const std::vector<float> columns = AxleColumns(in_.axleCount);
        if (columns.empty())
            return;
        canvas_.SetFont(font_, variant_ == PlateVariant::SystemTag ? 11 : 9);
        canvas_.BeginText();
        for (size_t k = 0; k < columns.size(); ++k) {
            // Below the axle's boxes, above the lower table, within its column.
            const TextRoom slot{columns[k] - 2, 343, columns[k] + 22, 370};
            if (in_.liftingAxleFlags[2 * k] == 1)
                Row(columns[k] + 3, 356, 20, slot);
            if (in_.liftingAxleFlags[2 * k + 1] == 1)
                Row(columns[k] + 3, 356, 21, slot);
        }
        canvas_.EndText();
    }

    void Line(float x1, float v1, float x2, float v2)
    {
        canvas_.MoveTo(x1, H() - v1);
        canvas_.LineTo(x2, H() - v2);
    }

    void Rules()
    {
        const float w = W();
        canvas_.SetLineWidth(0.5f);
        // Page frame, title box and the box right of it.
        Line(20, 20, w - 20, 20);
        Line(20, 575, w - 20, 575);
        Line(20, 20, 20, 575);
        Line(w - 20, 20, w - 20, 575);
        Line(130, 30, w / 2 + 50, 30);
        Line(130, 70, w / 2 + 50, 70);
        Line(130, 30, 130, 70);
        Line(w / 2 + 50, 30, w / 2 + 50, 70);
        Line(w / 2 + 60, 30, w - 30, 30);
        Line(w / 2 + 60, 70, w - 30, 70);
        Line(w / 2 + 60, 30, w / 2 + 60, 70);
        Line(w - 30, 30, w - 30, 70);
        // Identification grid.
        for (int i = 0; i <= 8; ++i) {
            const float v = 80.0f + 35.0f * i;
            Line(i == 6 ? 80 : 30, v, w / 3 + 100, v);
        }
        Line(30, 80, 30, 360);
        Line(w / 3 + 100, 80, w / 3 + 100, 360);
        for (int j = 0; j <= 6; ++j)
            Line(160, 80.0f + 35.0f * j, 160, 115.0f + 35.0f * j);
        Line(80, 255, 80, 325);
        Line(110, 325, 110, 360);
        for (int j = 0; j <= 2; ++j)
            Line(200, 220.0f + 35.0f * j, 200, 255.0f + 35.0f * j);
        Line(245, 220, 245, 255);
        for (int j = 0; j <= 3; ++j)
            Line(300, 220.0f + 35.0f * j, 300, 255.0f + 35.0f * j);
        Line(245, 325, 245, 360);
        // The GIO table.
        for (int j = 0; j <= 8; ++j)
            Line(w / 3 + 110, 80.0f + 20.0f * j, w - 30, 80.0f + 20.0f * j);
        for (float x : {w / 3 + 110, w / 3 + 150, w / 3 + 280, w / 3 + 410, w - 30})
            Line(x, 80, x, 240);
        // The lower table.
        Line(30, 370, w - 30, 370);
        Line(70, 410, 490, 410);
        Line(676, 410, w - 30, 410);
        Line(30, 430, 450, 430);
        Line(676, 430, w - 30, 430);
        for (float v = 465; v <= 565; v += 20)
            Line(30, v, w - 30, v);
        for (float x : {30.0f, 70.0f, 200.0f, 450.0f, 490.0f, 552.0f, 614.0f, 676.0f, w - 30})
            Line(x, 370, x, 565);
        for (float x : {160.0f, 290.0f, 410.0f})
            Line(x, 410, x, 565);
        for (float x : {120.0f, 250.0f})
            Line(x, 430, x, 565);
        for (float x : {330.0f, 370.0f, 738.0f}) {
            Line(x, 410, x, 430);
            Line(x, 465, x, 565);
        }
        canvas_.Stroke();
    }

    PdfCanvas& canvas_;
    const SystemTagPlateInputs& in_;
    PlateVariant variant_;
    ReportFont font_;
};

} // namespace

int LeadingInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

std::string CutForFont(const std::string& utf8, const ReportFont& font, size_t limit)
{
    if (EncodeForFont(utf8, font).size() <= limit)
        return utf8;
    size_t bytes = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t next = i + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80)
            ++next;
        const size_t size = EncodeForFont(utf8.substr(i, next - i), font).size();
        if (bytes + size > limit)
            break;
        bytes += size;
        i = next;
    }
    return utf8.substr(0, i);
}

void DrawAxleBlock(PdfCanvas& canvas, const SystemTagPlateInputs& in, float yFromTop, const std::string& axleFlag)
{
    const ReportFont font = ReportFontForLanguage(in.language);
    // Each value in its cell of the lower table's row.
    auto put = [&](float x, const std::string& text) {
        float left = 120, right = 160;
        for (const auto& cell : {std::make_pair(120.f, 160.f), std::make_pair(160.f, 200.f), std::make_pair(250.f, 290.f),
                                 std::make_pair(290.f, 330.f), std::make_pair(330.f, 370.f), std::make_pair(410.f, 450.f),
                                 std::make_pair(450.f, 490.f)})
            if (x >= cell.first && x < cell.second) {
                left = cell.first;
                right = cell.second;
            }
        DrawTextInRoom(canvas, x, yFromTop, CutForFont(text, font), AxleRowCell(left, right, yFromTop));
    };
    const bool flagged = axleFlag == "1";
    const bool a = in.heightSensorMode == 1;
    const bool h = in.heightSensorAxle2Present == 1;
    if (flagged) {
        if (a && h) {
            put(130, "0");
            put(260, in.Text(kPlate369));
            put(462, in.Text(kPlate371));
        } else if (!a) {
            put(130, in.Text(kPlate421 + 1)); // 422
            put(260, in.Text(kPlate421 + 3)); // 424
        }
    } else if (a) {
        put(130, "0");
        put(260, in.Text(kPlate368));
        put(462, in.Text(kPlate370));
    } else {
        put(130, in.Text(kPlate421));     // 421
        put(260, in.Text(kPlate421 + 2)); // 423
    }
    const int first = flagged ? kPlate508 : kPlate421 + 4; // 508..511 or 425..428
    const float xs[4] = {171, 300, 340, 420};
    for (int i = 0; i < 4; ++i)
        put(xs[i], in.Text(first + i));
}

SystemTagPlateInputs SystemTagPlateInputsNow(int brandIndex)
{
    SystemTagPlateInputs in;
    const std::string* fields[kPlateTextCount] = {
        &PlateManufacturer, &PlateType, &PlateVin, &PlateField586, &PlateField356, &PlateField357,
        &PlateAbsConfiguration, &PlateField361, &PlateField411, &PlateField412, &PlateField413, &PlateField414,
        &PlateField415, &PlateField416, &PlateField417, &PlateField418, &PlateField419, &PlateField420,
        &PlateField421, &PlateField422, &PlateField423, &PlateField424, &PlateField425, &PlateField426,
        &PlateField427, &PlateField428, &PlateAxleCount, &PlateAxleFlag1, &PlateAxleFlag2, &PlateAxleFlag3,
        &PlateAxleFlag4, &PlateAxleFlag5, &PlateField508, &PlateField509, &PlateField510, &PlateField511,
        &PlateField369, &PlateField371, &PlateField368, &PlateField370,
    };
    for (int n = 0; n < kPlateTextCount; ++n)
        in.text[static_cast<size_t>(n)] = *fields[n];
    in.brandIndex = brandIndex;
    in.language = LanguageIndex;
    in.axleCount = AxleCount;
    for (size_t i = 0; i < 10; ++i) {
        in.axleFeatureFlags[i] = AxleFeatureFlags[i];
        in.liftingAxleFlags[i] = LiftingAxleFlags[i];
    }
    in.liftingAxleCalibrationEnabled = LiftingAxleCalibrationEnabled;
    in.parameterChoice = ParameterChoice;
    in.heightSensorMode = SystemTagValues[0];
    in.heightSensorAxle2Present = HeightSensorAxle2Present;
    return in;
}

void DrawSystemTagPlate(PdfCanvas& canvas, const SystemTagPlateInputs& in, PlateVariant variant)
{
    PlateDrawer(canvas, in, variant).Draw();
}

} // namespace tarvel::report
