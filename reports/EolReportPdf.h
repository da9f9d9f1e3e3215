// The end-of-line test report as a PDF: an optional system-tag plate page,
// then the results page (every result with its remark and word, the ECU's
// identification, the VIN, the overall verdict, tester, job, date and logo),
// saved where the operator chooses.
//
//   EolReportPdfWriter writer(context, source);      // source: the results page
//   writer.SetPlatePage(...);                        // the plate page, when there is one
//   const int attempted = writer(brandMode);         // 1 a save was attempted, 0 not
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "PageContext.h"
#include "PdfCanvas.h"

// The items of the report, in the order of the result flags.
enum class EolReportItem {
    Voltage,
    WarningLampOn,
    WarningLampOff,
    BrakeLampOn,
    BrakeLampOff,
    Sensor1,
    Sensor2,
    Sensor3,
    Sensor4,
    Modulator1,
    Modulator2,
    Modulator3,
    Pressure1,
    Pressure2,
    Pressure3,
    Pressure4,
    Pressure5,
    Pressure6,
    BackupPressure,
    LiftingAxle,
    LiftingSensor,
    HeightSensor,
    Dtc,
    ValveOpen,
    ValveClose,
    Count
};
constexpr size_t kEolReportItemCount = static_cast<size_t>(EolReportItem::Count);

// Everything the report prints, as the results page hands it over.
struct EolReportInputs {
    std::string vin;
    std::string verdictWord;
    // Identification of the ECU, printed as it stands.
    std::string supplierId;
    std::string systemForm; // "2S2M", "4S2M", "4S3M" or anything else
    std::string hardwareVersion;
    std::string softwareVersion;
    std::string identF1F4;
    std::string calibrationVersion;
    // Remark and result word of each item (index: EolReportItem).
    std::array<std::string, kEolReportItemCount> remarks;
    std::array<std::string, kEolReportItemCount> words;
    // The raw brake-lamp results (a 2 in either leaves the brake-lamp rows out).
    int brakeLampOnResult = -1;
    int brakeLampOffResult = -1;
    // Equipment flags (1: the vehicle has it).
    int brakeLampTestEnabled = 0;
    int liftingAxleTestEnabled = 0;
    int liftingSensorCalibrationEnabled = 0;
    int heightSensorCalibrationEnabled = 0;
    int underwaterValveTestEnabled = 0;
    std::string testerName;
    std::string jobNumber;
    // The "Print System Tag as well" choice: the plate page comes first.
    bool printSystemTag = false;

    std::string& Remark(EolReportItem item) { return remarks[static_cast<size_t>(item)]; }
    std::string& Word(EolReportItem item) { return words[static_cast<size_t>(item)]; }
    const std::string& Remark(EolReportItem item) const { return remarks[static_cast<size_t>(item)]; }
    const std::string& Word(EolReportItem item) const { return words[static_cast<size_t>(item)]; }
};

// Where the writer gets its inputs: each call brings them up to date first
// (the results page recomputes its result words and verdict).
class EolReportInputSource {
public:
    virtual ~EolReportInputSource() = default;
    virtual EolReportInputs RefreshEolReportInputs() = 0;
};

// Draws the plate page (adding its own page) for a brand mode.
using EolPlatePage = std::function<void(tarvel::report::PdfCanvas& canvas, int brandMode)>;
using PdfCanvasFactory = std::function<std::unique_ptr<tarvel::report::PdfCanvas>()>;

// Depth below the page top of the results table's last rule, for the inputs
// in the texts' language `language` (a lifting-axle remark of several rows
// makes its row taller, as its lines need in that language's font).
int EolReportTableBottom(const EolReportInputs& inputs, int language);

// Draws the results page (adds an A4 portrait page) with the date and time
// `now` ("%Y-%m-%d %H:%M:%S" printed) in the texts' language `language`.
void DrawEolResultsPage(tarvel::report::PdfCanvas& canvas, const EolReportInputs& inputs, int language,
                        int brandMode, const std::string& dateText, const std::string& clockText);

// The report's default file name: the VIN ('/', '\', ':', '*', '?', '"', '<',
// '>', '|', control and non-ASCII bytes made '_'), "-", the date, " ", the
// time with hyphens, ".pdf".
std::string EolReportFileName(const std::string& vin, const std::string& dateText, const std::string& fileTimeText);

class EolReportPdfWriter {
public:
    EolReportPdfWriter(const tarvel::PageContext& context, EolReportInputSource& source);

    // Brand mode 1 or 2 draws "ReportImage/logo.jpg", any other the built-in
    // logo. The save dialog adds ".pdf" to a name typed without it and asks
    // before an existing file is replaced; a failed save leaves an older
    // file as it was and its box names the file and the reason. Returns 1
    // when a save was attempted (written or not), 0 when the document could
    // not be made or the operator cancelled (no box then).
    int operator()(int brandMode);

    // The plate page drawn first when the inputs ask for it; none by default.
    void SetPlatePage(EolPlatePage plate) { plate_ = std::move(plate); }
    // The canvas of each report; a libharu document by default.
    void SetCanvasFactory(PdfCanvasFactory factory) { factory_ = std::move(factory); }

private:
    const tarvel::PageContext& context_;
    EolReportInputSource& source_;
    EolPlatePage plate_;
    PdfCanvasFactory factory_;
};
