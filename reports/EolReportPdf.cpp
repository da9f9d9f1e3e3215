#include "EolReportPdf.h"

#include "HaruPdfCanvas.h"
#include "LocalTime.h"
#include "Log.h"
#include "ReportFonts.h"
#include "ReportGlobals.h"
#include "ReportPictures.h"
#include "ReportTextAids.h"
#include "ReportTextTable.h"
#include "TextFit.h"
#include "TextMeasure.h"
#include "SettingsFiles.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

using tarvel::report::PdfCanvas;
using tarvel::report::PdfImage;
using tarvel::report::PdfOrientation;
using tarvel::report::PdfPageSize;

namespace {

// Rows of the UI language table the writer's boxes use.
constexpr int kSavedTextRow = 179;
constexpr int kNotSavedTextRow = 180;
constexpr int kTipsCaptionRow = 74;
constexpr int kErrorCaptionRow = 76;

constexpr int kChinese = 0;
constexpr int kPortuguese = 4;

constexpr float kTextSize = 9;
constexpr float kRowPitch = 20;
constexpr float kRemarkX = 260;
constexpr float kWordX = 480;
constexpr float kDashX = 180;
constexpr float kFooterBoxTop = 775;
constexpr float kFooterBoxHeight = 25;
constexpr float kFooterTextBelowTop = 17;
constexpr float kDateDepth = 822;
constexpr float kDateBelowMovedBox = 12;
constexpr float kLowestDateDepth = 837; // the date line's lowest place below the footer box
constexpr float kHeadingDepth = 90;     // the heading row, between the rules at 70 and 105

// An x position by language: Chinese, Portuguese, every other language.
struct LangX {
    float zh;
    float pt;
    float other;
    float For(int language) const { return language == kChinese ? zh : language == kPortuguese ? pt : other; }
};
constexpr LangX Same(float x) { return {x, x, x}; }

// A label or item name of a row. In Portuguese it may be split into two
// lines at ptX1 (first) and ptX2 (second).
struct LabelCell {
    int text = -1; // report text row; -1 none
    LangX x{};
    bool ptSplit = false;
    float ptX1 = 0;
    float ptX2 = 0;
};

enum class RemarkStyle {
    Plain,
    PtSplit250,      // Portuguese: two lines at 250 and 240
    PtSplit260,      // Portuguese: two lines at 260
    PtAt230,         // Portuguese: at 230
    PtAt228,         // Portuguese: one line at 228
};

enum class RowShow { Always, Form4S3M, LiftingAxle, LiftingSensor, Height, BrakeLamp, Valve };
enum class RowGroup { None, WarningLamp, Sensors, Pressures, BrakeLamp, Valve };

struct RowSpec {
    float depth; // for "4S3M" with every optional row printed
    RowShow show;
    RowGroup group;
    LabelCell label; // the label or item name
    bool dash;       // "-" at x 180 (rows without an item name)
    EolReportItem item;
    RemarkStyle remark;
};

// The results table. Rows take their 20 points only when printed.
const std::vector<RowSpec>& RowTable()
{
    using I = EolReportItem;
    static const std::vector<RowSpec> rows = {
        {332, RowShow::Always, RowGroup::WarningLamp, {44, Same(175)}, false, I::WarningLampOn, RemarkStyle::Plain},
        {352, RowShow::Always, RowGroup::WarningLamp, {45, Same(175)}, false, I::WarningLampOff, RemarkStyle::Plain},
        {372, RowShow::Always, RowGroup::None, {46, {70, 55, 70}}, true, I::Dtc, RemarkStyle::Plain},
        {392, RowShow::Always, RowGroup::Sensors, {48, Same(157), true, 150, 145}, false, I::Sensor1, RemarkStyle::Plain},
        {412, RowShow::Always, RowGroup::Sensors, {49, Same(157), true, 150, 150}, false, I::Sensor2, RemarkStyle::Plain},
        {432, RowShow::Always, RowGroup::Sensors, {50, Same(157), true, 150, 145}, false, I::Sensor3, RemarkStyle::Plain},
        {452, RowShow::Always, RowGroup::Sensors, {51, Same(157), true, 150, 150}, false, I::Sensor4, RemarkStyle::Plain},
        {472, RowShow::Always, RowGroup::Sensors, {52, {157, 155, 155}}, false, I::Modulator1, RemarkStyle::PtSplit250},
        {492, RowShow::Always, RowGroup::Sensors, {54, {157, 155, 155}}, false, I::Modulator2, RemarkStyle::PtSplit250},
        {512, RowShow::Form4S3M, RowGroup::Sensors, {55, {157, 141, 157}}, false, I::Modulator3, RemarkStyle::PtSplit250},
        {532, RowShow::Always, RowGroup::Pressures, {52, {157, 155, 155}}, false, I::Pressure1, RemarkStyle::PtSplit260},
        {552, RowShow::Always, RowGroup::Pressures, {57, {157, 142, 150}}, false, I::Pressure2, RemarkStyle::PtSplit260},
        {572, RowShow::Always, RowGroup::Pressures, {54, Same(155)}, false, I::Pressure3, RemarkStyle::PtSplit260},
        {592, RowShow::Always, RowGroup::Pressures, {58, {157, 150, 150}}, false, I::Pressure4, RemarkStyle::PtSplit260},
        {612, RowShow::Form4S3M, RowGroup::Pressures, {55, {157, 141, 150}}, false, I::Pressure5, RemarkStyle::PtSplit260},
        {632, RowShow::Form4S3M, RowGroup::Pressures, {59, {157, 150, 150}, true, 150, 150}, false, I::Pressure6,
         RemarkStyle::PtSplit260},
        {652, RowShow::Always, RowGroup::None, {60, {70, 60, 55}, true, 60, 60}, true, I::BackupPressure,
         RemarkStyle::PtSplit260},
        {672, RowShow::Always, RowGroup::None, {72, {70, 60, 57}, true, 60, 60}, true, I::Voltage, RemarkStyle::Plain},
        {692, RowShow::LiftingAxle, RowGroup::None, {75, {70, 57, 57}}, true, I::LiftingAxle,
         RemarkStyle::PtAt230},
        {692, RowShow::LiftingSensor, RowGroup::None, {81, {70, 60, 57}, true, 60, 60}, true, I::LiftingSensor,
         RemarkStyle::PtAt228},
        {712, RowShow::Height, RowGroup::None, {96, {70, 57, 57}}, true, I::HeightSensor, RemarkStyle::Plain},
        {732, RowShow::BrakeLamp, RowGroup::BrakeLamp, {44, Same(175)}, false, I::BrakeLampOn, RemarkStyle::Plain},
        {752, RowShow::BrakeLamp, RowGroup::BrakeLamp, {45, Same(175)}, false, I::BrakeLampOff, RemarkStyle::Plain},
        {772, RowShow::Valve, RowGroup::Valve, {112, Same(170)}, false, I::ValveOpen, RemarkStyle::Plain},
        {792, RowShow::Valve, RowGroup::Valve, {113, Same(168)}, false, I::ValveClose, RemarkStyle::Plain},
    };
    return rows;
}

bool Is4S3M(const EolReportInputs& in) { return in.systemForm == "4S3M"; }
bool LiftingRowPrinted(const EolReportInputs& in)
{
    return in.liftingAxleTestEnabled == 1 || in.liftingSensorCalibrationEnabled == 1;
}
bool BrakeLampRowsPrinted(const EolReportInputs& in)
{
    return in.brakeLampOnResult != 2 && in.brakeLampOffResult != 2 && in.brakeLampTestEnabled == 1;
}

bool Printed(const RowSpec& row, const EolReportInputs& in)
{
    switch (row.show) {
    case RowShow::Always: return true;
    case RowShow::Form4S3M: return Is4S3M(in);
    case RowShow::LiftingAxle: return in.liftingAxleTestEnabled == 1;
    case RowShow::LiftingSensor: return in.liftingAxleTestEnabled != 1 && in.liftingSensorCalibrationEnabled == 1;
    case RowShow::Height: return in.heightSensorCalibrationEnabled == 1;
    case RowShow::BrakeLamp: return BrakeLampRowsPrinted(in);
    case RowShow::Valve: return in.underwaterValveTestEnabled == 1;
    }
    return false;
}

// Whether a row that is not printed moves the later rows up. The lifting-axle
// and lifting-sensor rows share one place: it is given up once, when neither
// is printed.
bool FreesItsPlace(const RowSpec& row, const EolReportInputs& in)
{
    if (row.show == RowShow::LiftingSensor)
        return false;
    if (row.show == RowShow::LiftingAxle)
        return !LiftingRowPrinted(in);
    return true;
}

struct PlacedRow {
    const RowSpec* spec;
    float depth;  // the baseline of its label, item name and word
    float top;    // its rules, above and below
    float bottom;
};

// The rows of a remark ("\n" ends each).
std::vector<std::string> RemarkRows(const std::string& remark)
{
    std::vector<std::string> rows;
    size_t start = 0;
    while (start < remark.size()) {
        size_t end = remark.find('\n', start);
        if (end == std::string::npos)
            end = remark.size();
        if (end > start)
            rows.push_back(remark.substr(start, end - start));
        start = end + 1;
    }
    return rows;
}

constexpr float kRowAbove = 12; // a 20-point row's rules: 12 above its baseline and 8 below
// The deepest the table may end on the page: the footer box below it then
// ends 2 points above the page's lower edge, the date line moves up.
constexpr float kLowestTableBottom = 815;

// The depth of the table's end when every row is 20 high.
int RowTableBottom(const EolReportInputs& in)
{
    const bool height = in.heightSensorCalibrationEnabled == 1;
    int bottom = Is4S3M(in) ? (height ? 800 : 780) : (height ? 740 : 720);
    if (in.underwaterValveTestEnabled != 1)
        bottom -= 40;
    if (!LiftingRowPrinted(in))
        bottom -= 20;
    if (!BrakeLampRowsPrinted(in))
        bottom -= 40;
    return bottom;
}

// What the lifting-axle row adds to its 20 points: its remark keeps one row
// per line, in the table's size where the page has room, else in the largest
// size the page leaves room for.
float LiftingRowExtra(const EolReportInputs& in, int language)
{
    if (in.liftingAxleTestEnabled != 1)
        return 0;
    const std::vector<std::string> rows = RemarkRows(in.Remark(EolReportItem::LiftingAxle));
    if (rows.size() < 2)
        return 0;
    const tarvel::report::ReportFont font = tarvel::report::ReportFontForLanguage(language);
    const float room = kLowestTableBottom - static_cast<float>(RowTableBottom(in));
    float extra = 0;
    for (float size = kTextSize; size >= tarvel::report::kLeastTextSize; size -= 0.5f) {
        extra = std::max(0.f, std::ceil(tarvel::report::RoomHeightForLines(font, size, rows)) - kRowPitch);
        if (extra <= room)
            break;
    }
    return extra;
}

// The printed rows, each below the one before: a row not printed gives up
// its 20 points, a taller row moves the rows after it down.
std::vector<PlacedRow> PlaceRows(const EolReportInputs& in, int language)
{
    std::vector<PlacedRow> placed;
    float offset = 0;
    for (const RowSpec& row : RowTable()) {
        if (Printed(row, in)) {
            const float extra = row.item == EolReportItem::LiftingAxle ? LiftingRowExtra(in, language) : 0;
            const float height = kRowPitch + extra;
            const float top = row.depth - kRowAbove + offset;
            // The baseline where a 20-point row has it, moved to the middle of a taller one.
            placed.push_back({&row, top + kRowAbove + (height - kRowPitch) / 2, top, top + height});
            offset += height - kRowPitch;
        } else if (FreesItsPlace(row, in)) {
            offset -= kRowPitch;
        }
    }
    return placed;
}

// ---- Drawing helpers, measured from the top of the page ----

using tarvel::report::TextRoom;

// The table's columns: group labels and row labels, item names, remarks,
// result words (their right edge is the page's right rule).
constexpr float kTableLeft = 50;
constexpr float kItemLeft = 140;
constexpr float kRemarkLeft = 225;
constexpr float kWordLeft = 470;
class Page {
public:
    Page(PdfCanvas& canvas, int language) : canvas_(canvas), language_(language) {}

    void Text(float x, float depth, const std::string& text, const TextRoom& room, float floor = 0)
    {
        tarvel::report::DrawTextInRoom(canvas_, x, depth, text, room, floor);
    }
    // A text the layout splits into two lines (first 4 above the row's
    // baseline at x1, second 5 below at x2) where both fit.
    void Split(float x1, float x2, float depth, const std::string& text, const TextRoom& room)
    {
        std::string first, second;
        SplitTextAtMiddleSpace(text, first, second);
        tarvel::report::DrawSplitInRoom(canvas_, x1, x2, depth, first, second, text, room);
    }
    bool Portuguese() const { return language_ == kPortuguese; }
    int Language() const { return language_; }
    PdfCanvas& Canvas() { return canvas_; }

private:
    PdfCanvas& canvas_;
    int language_;
};

void DrawRow(Page& page, const PlacedRow& placed, const EolReportInputs& in, float right)
{
    const RowSpec& row = *placed.spec;
    const float d = placed.depth;
    const auto cell = [&placed](float left, float cellRight) {
        return TextRoom{left, placed.top, cellRight, placed.bottom};
    };
    const LabelCell& label = row.label;
    const std::string labelText = PdfText(label.text);
    // An item name stands in the item column, a row's own label left of it.
    const TextRoom labelRoom = row.dash ? cell(kTableLeft, kItemLeft) : cell(kItemLeft, kRemarkLeft);
    if (page.Portuguese() && label.ptSplit)
        page.Split(label.ptX1, label.ptX2, d, labelText, labelRoom);
    else
        page.Text(label.x.For(page.Language()), d, labelText, labelRoom);
    if (row.dash)
        page.Text(kDashX, d, "-", cell(kItemLeft, kRemarkLeft));

    const TextRoom remarkRoom = cell(kRemarkLeft, kWordLeft);
    const float remarkX = page.Portuguese() && row.remark == RemarkStyle::PtAt230 ? 230.f : kRemarkX;
    const std::vector<std::string> rows = RemarkRows(in.Remark(row.item));
    if (rows.size() > 1) {
        // One row of the remark per line; the row is tall enough for them.
        std::string lines;
        for (const std::string& r : rows)
            lines += r + "\n";
        page.Text(remarkX, d, lines, remarkRoom, tarvel::report::kLeastTextSize);
    } else {
        const std::string remark = rows.empty() ? std::string() : rows.front();
        if (!page.Portuguese()) {
            page.Text(kRemarkX, d, remark, remarkRoom);
        } else {
            switch (row.remark) {
            case RemarkStyle::Plain: page.Text(kRemarkX, d, remark, remarkRoom); break;
            case RemarkStyle::PtSplit250: page.Split(250, 240, d, remark, remarkRoom); break;
            case RemarkStyle::PtSplit260: page.Split(260, 260, d, remark, remarkRoom); break;
            // In the table's size, like every other remark: split only where it does not fit.
            case RemarkStyle::PtAt230: page.Text(230, d, remark, remarkRoom); break;
            case RemarkStyle::PtAt228: page.Text(228, d, remark, remarkRoom); break;
            }
        }
    }
    page.Text(kWordX, d, in.Word(row.item), cell(kWordLeft, right));
}

struct Rule {
    float depth;
    float fromX;
    float toX; // 0: the right margin (W - 50)
};

// The horizontal rules above the table, the same for every form.
std::vector<Rule> HeaderRules()
{
    std::vector<Rule> rules = {{20, 50, 0}, {70, 50, 0}, {105, 50, 0}, {130, 50, 0}, {155, 50, 450}, {180, 50, 450}};
    for (float d : {205.f, 230.f, 255.f, 280.f, 300.f, 320.f})
        rules.push_back({d, 50, 0});
    return rules;
}

enum class RuleShow { Always, Form4S3M, Lifting, Height, BrakeLamp, Valve };

// The table's rules for forms other than "4S3M": a rule not drawn moves the
// later ones up by 20; those below a taller row move down with the rows.
std::vector<Rule> OtherFormTableRules(const EolReportInputs& in, const std::vector<PlacedRow>& rows)
{
    struct Spec {
        float depth;
        float fromX;
        RuleShow show;
    };
    static const std::vector<Spec> specs = {
        {340, 140, RuleShow::Always},   {360, 50, RuleShow::Always},    {380, 50, RuleShow::Always},
        {400, 140, RuleShow::Always},   {420, 140, RuleShow::Always},   {440, 140, RuleShow::Always},
        {460, 140, RuleShow::Always},   {480, 140, RuleShow::Always},   {500, 140, RuleShow::Form4S3M},
        {520, 50, RuleShow::Form4S3M},  {540, 50, RuleShow::Always},    {560, 140, RuleShow::Always},
        {580, 140, RuleShow::Always},   {600, 140, RuleShow::Always},   {620, 140, RuleShow::Form4S3M},
        {640, 140, RuleShow::Form4S3M}, {660, 50, RuleShow::Form4S3M},  {680, 50, RuleShow::Always},
        {700, 50, RuleShow::Always},    {720, 50, RuleShow::Lifting},   {740, 50, RuleShow::Height},
        {760, 50, RuleShow::Always},    {780, 140, RuleShow::BrakeLamp}, {800, 50, RuleShow::BrakeLamp},
        {820, 140, RuleShow::Valve},    {840, 50, RuleShow::Valve},
    };
    std::vector<Rule> rules;
    float shift = 0;
    for (const Spec& spec : specs) {
        bool drawn = true;
        switch (spec.show) {
        case RuleShow::Always: drawn = true; break;
        case RuleShow::Form4S3M: drawn = Is4S3M(in); break;
        case RuleShow::Lifting: drawn = LiftingRowPrinted(in); break;
        case RuleShow::Height: drawn = in.heightSensorCalibrationEnabled == 1; break;
        case RuleShow::BrakeLamp: drawn = BrakeLampRowsPrinted(in); break;
        case RuleShow::Valve: drawn = in.underwaterValveTestEnabled == 1; break;
        }
        if (drawn)
            rules.push_back({spec.depth - shift, spec.fromX, 0});
        else
            shift += kRowPitch;
    }
    for (const PlacedRow& row : rows) {
        const float extra = row.bottom - row.top - kRowPitch;
        if (extra > 0)
            for (Rule& rule : rules)
                if (rule.depth >= row.top + kRowPitch - 0.01f)
                    rule.depth += extra;
    }
    return rules;
}

// The table's rules for "4S3M": one under each printed row, from x 140 when
// the next row stands under the same group label, else from x 50.
std::vector<Rule> RowTableRules(const std::vector<PlacedRow>& rows)
{
    std::vector<Rule> rules;
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowGroup group = rows[i].spec->group;
        const bool sameGroupNext = i + 1 < rows.size() && group != RowGroup::None && rows[i + 1].spec->group == group;
        rules.push_back({rows[i].bottom, sameGroupNext ? 140.f : 50.f, 0});
    }
    return rules;
}

} // namespace

int EolReportTableBottom(const EolReportInputs& in, int language)
{
    return RowTableBottom(in) + static_cast<int>(LiftingRowExtra(in, language));
}

void DrawEolResultsPage(PdfCanvas& canvas, const EolReportInputs& in, int language, int brandMode,
                        const std::string& dateText, const std::string& clockText)
{
    canvas.AddPage(PdfPageSize::A4, PdfOrientation::Portrait);
    Page page(canvas, language);
    const float W = canvas.PageWidth();
    const float H = canvas.PageHeight();
    const bool portuguese = page.Portuguese();
    const auto x = [language](LangX lx) { return lx.For(language); };

    const float tableBottom = static_cast<float>(EolReportTableBottom(in, language));
    // The footer box stays at its place unless the table reaches into it;
    // then it starts where the table ends, and the date line follows it. On
    // a page with no room left below the box, the date line stands at the
    // right end of the heading row instead.
    const bool footerMoved = tableBottom > kFooterBoxTop;
    const float footerTop = footerMoved ? tableBottom : kFooterBoxTop;
    const float footerBottom = footerTop + kFooterBoxHeight;
    const float footerTextDepth = footerTop + kFooterTextBelowTop;
    const float dateDepth = footerMoved ? footerBottom + kDateBelowMovedBox : kDateDepth;
    const bool dateInHeading = dateDepth > kLowestDateDepth;

    const float right = W - 50; // the page's right rule
    const auto box = [](float left, float top, float boxRight, float bottom) {
        return TextRoom{left, top, boxRight, bottom};
    };

    // Title and the date line.
    canvas.SetFont(tarvel::report::ReportFontForLanguage(language), portuguese ? 19.f : 22.f);
    canvas.BeginText();
    {
        tarvel::report::TextFit title;
        title.text = PdfText(25);
        title.x = portuguese ? 185.f : 220.f;
        title.depth = 50;
        title.room = box(150, 20, right, 70); // right of the logo, between the top rules
        title.size = canvas.FontSize();
        title.floor = tarvel::report::kTitleFloor;
        tarvel::report::ShowFittedLines(canvas, tarvel::report::FitText(canvas.Font(), title));
    }
    canvas.SetFontSize(11);
    const std::string dateLine = dateText + " " + clockText;
    // Where the date line stands in the heading row: at its right end.
    const float dateX = right - 3 - tarvel::report::MeasureText(canvas.Font(), 11, dateLine).width;
    if (dateInHeading)
        page.Text(dateX, kHeadingDepth, dateLine, box(dateX - 2, 70, right, 105));
    else
        page.Text(250, dateDepth, dateLine, box(kTableLeft, footerBottom, right, H));
    canvas.EndText();

    // Everything else in size 9.
    canvas.SetFontSize(kTextSize);
    canvas.BeginText();
    page.Text(252, kHeadingDepth, PdfText(26), box(kTableLeft, 70, dateInHeading ? dateX - 2 : right, 105));
    page.Text(x({80, 60, 100}), 120, PdfText(5), box(kTableLeft, 105, 170, 130));
    page.Text(230, 120, in.vin, box(170, 105, 450, 130));
    page.Text(460, 120, PdfText(30), box(450, 105, right, 130));
    page.Text(470, 170, in.verdictWord, box(450, 130, right, 205));
    const struct {
        int text;
        LangX labelX;
        const std::string* value;
        float depth;
    } identity[] = {
        {27, {80, 70, 70}, &in.supplierId, 145},      {28, Same(80), &in.systemForm, 170},
        {29, {80, 70, 70}, &in.hardwareVersion, 195}, {31, {80, 70, 70}, &in.softwareVersion, 220},
        {32, {80, 60, 60}, &in.identF1F4, 245},       {33, {80, 60, 60}, &in.calibrationVersion, 270},
    };
    for (const auto& row : identity) {
        // Rows 25 apart, the baseline 10 above the rule below; the verdict
        // column ends the first three value cells.
        const float top = row.depth - 15;
        const float bottom = row.depth + 10;
        page.Text(x(row.labelX), row.depth, PdfText(row.text), box(kTableLeft, top, 170, bottom));
        page.Text(260, row.depth, *row.value, box(170, top, row.depth < 205 ? 450.f : right, bottom));
    }
    page.Text(250, 292, PdfText(34), box(kTableLeft, 280, right, 300));
    page.Text(115, 312, PdfText(35), box(kTableLeft, 300, kRemarkLeft, 320));
    page.Text(300, 312, PdfText(36), box(kRemarkLeft, 300, kWordLeft, 320));
    page.Text(490, 312, PdfText(37), box(kWordLeft, 300, right, 320));

    const std::vector<PlacedRow> rows = PlaceRows(in, language);
    // A group label stands in the label column beside all rows of its group.
    const auto groupRoom = [&rows](RowGroup group) {
        float top = 0, bottom = 0;
        for (const PlacedRow& row : rows) {
            if (row.spec->group != group)
                continue;
            if (bottom == 0)
                top = row.top;
            bottom = row.bottom;
        }
        return TextRoom{kTableLeft, top, kItemLeft, bottom};
    };

    // Group labels at their fixed places.
    page.Text(x({70, 53, 60}), 340, PdfText(43), groupRoom(RowGroup::WarningLamp));
    page.Text(70, 442, PdfText(47), groupRoom(RowGroup::Sensors));
    page.Text(x({70, 65, 65}), Is4S3M(in) ? 580.f : 535.f, PdfText(56), groupRoom(RowGroup::Pressures));

    bool brakeLabelDone = false;
    bool valveLabelDone = false;
    for (const PlacedRow& row : rows) {
        if (row.spec->group == RowGroup::BrakeLamp && !brakeLabelDone) {
            page.Text(x({70, 55, 55}), row.depth + 12, PdfText(100), groupRoom(RowGroup::BrakeLamp));
            brakeLabelDone = true;
        }
        if (row.spec->group == RowGroup::Valve && !valveLabelDone) {
            page.Text(x({70, 55, 55}), row.depth + 10, PdfText(111), groupRoom(RowGroup::Valve));
            valveLabelDone = true;
        }
        DrawRow(page, row, in, right);
    }

    // Footer row.
    page.Text(60, footerTextDepth, PdfText(104), box(kTableLeft, footerTop, 170, footerBottom));
    // The operator's texts may step down to the least size: at the length
    // their edits take they print whole, whatever their characters.
    page.Text(200, footerTextDepth, in.testerName, box(170, footerTop, 350, footerBottom),
              tarvel::report::kLeastTextSize);
    page.Text(360, footerTextDepth, PdfText(103), box(350, footerTop, 450, footerBottom));
    page.Text(465, footerTextDepth, in.jobNumber, box(450, footerTop, right, footerBottom),
              tarvel::report::kLeastTextSize);
    canvas.EndText();

    // Logo: a missing picture is left out, the report is still written.
    const PdfImage logo = (brandMode == 1 || brandMode == 2)
                              ? tarvel::report::LoadReportPicture(canvas, "ReportImage\\logo.jpg")
                              : tarvel::report::BitmapResourceToTempJpeg(canvas, tarvel::report::kBuiltinLogoResource);
    if (logo)
        tarvel::report::DrawImageFromTop(canvas, logo, 55, 70, 90, 50);
    else
        tarvel::TraceLog("EOL report: the logo picture could not be loaded; the report is written without it");

    // Rules, all in one path.
    std::vector<Rule> rules = HeaderRules();
    const std::vector<Rule> table = Is4S3M(in) ? RowTableRules(rows) : OtherFormTableRules(in, rows);
    rules.insert(rules.end(), table.begin(), table.end());
    if (!footerMoved) // else the table's last rule is the box's top
        rules.push_back({footerTop, 50, 0});
    rules.push_back({footerBottom, 50, 0});

    canvas.SetLineWidth(0.5f);
    const auto line = [&](float x1, float d1, float x2, float d2) {
        canvas.MoveTo(x1, H - d1);
        canvas.LineTo(x2, H - d2);
    };
    for (const Rule& rule : rules)
        line(rule.fromX, rule.depth, rule.toX > 0 ? rule.toX : W - 50, rule.depth);
    line(W - 50, 20, W - 50, tableBottom);
    line(50, 20, 50, tableBottom);
    line(150, 20, 150, 70);
    line(170, 105, 170, 280);
    line(450, 105, 450, 205);
    line(140, 320, 140, tableBottom);
    line(225, 300, 225, tableBottom);
    line(470, 300, 470, tableBottom);
    for (float fx : {170.f, 350.f, 450.f})
        line(fx, footerTop, fx, footerBottom);
    canvas.Stroke();
}

std::string EolReportFileName(const std::string& vin, const std::string& dateText, const std::string& fileTimeText)
{
    std::string safe;
    for (const char c : vin) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = byte < 0x20 || byte >= 0x7F || std::string("/\\:*?\"<>|").find(c) != std::string::npos;
        safe += unsafe ? '_' : c;
    }
    return safe + "-" + dateText + " " + fileTimeText + ".pdf";
}

namespace {

std::string HomeFolder()
{
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    return home ? std::string(home) : std::string();
}

bool IsFolder(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::u8path(path), ec);
}

} // namespace

EolReportPdfWriter::EolReportPdfWriter(const tarvel::PageContext& context, EolReportInputSource& source)
    : context_(context), source_(source)
{
}

int EolReportPdfWriter::operator()(int brandMode)
{
    const EolReportInputs inputs = source_.RefreshEolReportInputs();
    const int language = context_.texts.Language();

    std::unique_ptr<PdfCanvas> canvas =
        factory_ ? factory_() : std::unique_ptr<PdfCanvas>(new tarvel::report::HaruPdfCanvas());
    if (!canvas || !canvas->Valid()) {
        context_.prompter.Show(PdfText(0), std::string(), tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
        return 0;
    }

    if (inputs.printSystemTag && plate_)
        plate_(*canvas, brandMode);

    const tarvel::LocalDateTime now = tarvel::LocalNow();
    const std::string dateText = tarvel::FormatLocalTime(now, "%Y-%m-%d");
    const std::string fileTimeText = tarvel::FormatLocalTime(now, "%H-%M-%S");
    const std::string clockText = tarvel::FormatLocalTime(now, "%H:%M:%S");
    DrawEolResultsPage(*canvas, inputs, language, brandMode, dateText, clockText);

    tarvel::FileRequest request;
    request.save = true;
    request.folder = IsFolder(EOLReportsFilePath) ? EOLReportsFilePath : HomeFolder();
    request.fileName = EolReportFileName(inputs.vin, dateText, fileTimeText);
    request.filter = "文件 (*.pdf;)|*.pdf";
    request.defaultExtension = "pdf";
    // A cancelled dialog writes nothing and says nothing.
    const std::optional<std::string> chosen = tarvel::ChooseSaveFile(
        context_.files, context_.prompter, request, tarvel::ReplaceFileQuestion(context_.texts));
    if (!chosen)
        return 0;

    const std::string& path = *chosen;
    LastReportPath = path;
    const size_t slash = path.find_last_of("/\\");
    EOLReportsFilePath = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);

    const tarvel::SaveResult saved = canvas->SaveToFile(path);
    if (saved)
        context_.prompter.Show(context_.texts.Text(kSavedTextRow), context_.texts.Text(kTipsCaptionRow),
                               tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
    else
        context_.prompter.Show(tarvel::NotSavedText(context_.texts.Text(kNotSavedTextRow), path, saved),
                               context_.texts.Text(kErrorCaptionRow), tarvel::MsgIcon::Exclamation,
                               tarvel::MsgButtons::Ok);
    return 1;
}
