// The characters of the segment display, in plain C++ so that the character
// list, the outlines and the layout can be checked without painting.
//
// A character cell is 49 units wide (18 for the colon and dot character) and
// 83 units high; each segment is an outline of points in those units.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvel {

// Colours are 0x00BBGGRR values.
using DigiColour = uint32_t;

// Style bits of the display.
enum DigiStyle : uint32_t {
    DS_SMOOTH = 0x01, // rounded segment shapes
    DS_STYLE14 = 0x02, // digits, space and minus with 14 segments as well
    DS_SZ_PROP = 0x04, // keep the aspect ratio and centre the text
};

constexpr int kDigiCellHeight = 83;

enum class DigiPointKind { Start, Line, Curve };

struct DigiPoint {
    int x;
    int y;
    bool operator==(const DigiPoint& o) const { return x == o.x && y == o.y; }
};

struct DigiSegment {
    std::vector<DigiPoint> points;
    std::vector<DigiPointKind> kinds; // one per point
};

class CDigiChar {
public:
    explicit CDigiChar(int cellWidth) : width_(cellWidth) {}
    virtual ~CDigiChar() = default;

    // Stores the mask (segment i lit when bit i is set) and builds the
    // segment outlines for the style.
    virtual void SetCharacterMask(uint16_t mask, uint32_t style) = 0;

    int Width() const { return width_; }
    uint16_t Mask() const { return mask_; }
    bool IsLit(size_t segment) const { return segment < 16 && (mask_ >> segment) & 1u; }
    const std::vector<DigiSegment>& Segments() const { return segments_; }
    size_t SegmentCount() const { return segments_.size(); }

protected:
    int width_;
    uint16_t mask_ = 0;
    std::vector<DigiSegment> segments_;
};

class CDigi7Segment : public CDigiChar {
public:
    CDigi7Segment() : CDigiChar(49) {}
    void SetCharacterMask(uint16_t mask, uint32_t style) override;
};

class CDigi14Segment : public CDigiChar {
public:
    CDigi14Segment() : CDigiChar(49) {}
    void SetCharacterMask(uint16_t mask, uint32_t style) override;
};

class CDigiColonDotChar : public CDigiChar {
public:
    CDigiColonDotChar() : CDigiChar(18) {}
    void SetCharacterMask(uint16_t mask, uint32_t style) override;
};

// The segment masks, indexed 0 for space, 1 to 10 for the digits, 11 for "-"
// and (14 segments only) 12 to 37 for "A" to "Z".
extern const uint16_t kDigi7SegmentMasks[12];
extern const uint16_t kDigi14SegmentMasks[38];

// The display character for c, or nullptr for characters the display has no
// shape for (lower-case letters, punctuation other than ":" "." "*" "+" "-").
std::unique_ptr<CDigiChar> MakeDigiChar(char c, uint32_t style);

// One display character per displayable character of text, in order.
std::vector<std::unique_ptr<CDigiChar>> BuildDigiCharacters(const std::string& text, uint32_t style);

struct DigiRect {
    double left;
    double top;
    double width;
    double height;
};

// Where each character goes in a client area of width x height.
std::vector<DigiRect> LayoutDigiCharacters(const std::vector<std::unique_ptr<CDigiChar>>& characters, int width,
                                           int height, uint32_t style);

// An outline point of a cell of cellWidth units mapped into rect (pixels).
DigiPoint MapDigiPoint(const DigiPoint& p, const DigiRect& rect, int cellWidth);

// The outline pen: 3/4 of the segment colour and 1/4 of the background, per
// channel, so edges blend into the background.
DigiColour BlendDigiPen(DigiColour segment, DigiColour background);

struct DigiPointF {
    double x;
    double y;
};

// A path as drawing commands: move, line, or cubic curve (two control
// points, then the end point).
struct DigiPathCommand {
    enum Kind { Move, Line, Curve } kind;
    DigiPointF c1;
    DigiPointF c2;
    DigiPointF to;
};

// Turns mapped outline points with their kinds into a path. Each run of curve
// points, with the point before it and the point after it, becomes one cubic
// Bezier between those two points fitted through the run.
std::vector<DigiPathCommand> BuildDigiPath(const std::vector<DigiPoint>& points,
                                           const std::vector<DigiPointKind>& kinds);

// Control points of a cubic Bezier from run.front() to run.back() that passes
// close to the inner points of run (at least three points).
void FitDigiBezier(const std::vector<DigiPointF>& run, DigiPointF& c1, DigiPointF& c2);

// Sum of squared distances of the inner points of run to the curve.
double DigiBezierError(const std::vector<DigiPointF>& run, const DigiPointF& c1, const DigiPointF& c2);

// The display's state apart from the window: text, style and colours, and the
// character list rebuilt lazily when the text or style changed. The setters
// answer whether the display must be repainted.
class DigiDisplayModel {
public:
    bool SetDisplayText(const std::string& text);
    bool SetSegmentColours(DigiColour unlit, DigiColour lit);
    bool SetBackgroundColour(DigiColour colour);
    // Refused (0) when the two sets overlap; otherwise adds, removes and
    // answers 1.
    int ChangeDisplayStyle(uint32_t remove, uint32_t add);

    const std::string& Text() const { return text_; }
    uint32_t Style() const { return style_; }
    DigiColour UnlitColour() const { return unlit_; }
    DigiColour LitColour() const { return lit_; }
    DigiColour BackgroundColour() const { return background_; }
    bool Modified() const { return modified_; }

    // The character list, rebuilt first when modified.
    const std::vector<std::unique_ptr<CDigiChar>>& Characters();

private:
    std::string text_ = "EMPTY";
    bool modified_ = true;
    std::vector<std::unique_ptr<CDigiChar>> characters_;
    DigiColour unlit_ = 0x003400;
    DigiColour lit_ = 0x00FF00;
    DigiColour background_ = 0;
    uint32_t style_ = DS_SZ_PROP;
};

} // namespace tarvel
