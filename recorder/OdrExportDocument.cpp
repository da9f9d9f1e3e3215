#include "OdrExportDocument.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Length of the UTF-8 character starting at s[i] (0 when it is not one).
size_t Utf8Length(const std::string& s, size_t i)
{
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    size_t n = 0;
    uint32_t min = 0;
    uint32_t cp = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    // XML 1.0 allows neither the C1 controls nor U+FFFE/U+FFFF.
    if ((cp >= 0x80 && cp <= 0x9F) || cp == 0xFFFE || cp == 0xFFFF)
        return 0;
    return n;
}

const char* const kBlank = " ";

std::string Format(const char* fmt, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    std::string out = buf;
    // Whatever the C locale's decimal mark, the file uses ".".
    for (char& c : out)
        if (c == ',')
            c = '.';
    return out;
}

std::string Int(long long v) { return std::to_string(v); }

std::string TwoDigits(long long v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld", v);
    return buf;
}

std::string TimeText(const OdrExportTime& t, char separator)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%c%02d%c%02d", t.hour, separator, t.minute, separator, t.second);
    return buf;
}

std::string DateText(const OdrExportTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

int32_t BigEndian32(const std::vector<uint8_t>& d)
{
    const uint32_t u = static_cast<uint32_t>(d[0]) << 24 | static_cast<uint32_t>(d[1]) << 16 |
                       static_cast<uint32_t>(d[2]) << 8 | d[3];
    return static_cast<int32_t>(u);
}

// Appends nodes in document order: a container goes in before its children.
class Builder {
public:
    TiXmlElement* Container(TiXmlNode* parent, const char* name)
    {
        return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
    }
    void Leaf(TiXmlNode* parent, const char* name, const std::string& text)
    {
        auto element = std::make_unique<TiXmlElement>(name);
        element->LinkEndChild(new TiXmlText(OdrExportText(text)));
        parent->LinkEndChild(element.release());
    }
    void Characteristics(TiXmlNode* parent, const char* const (*items)[3], size_t count)
    {
        TiXmlElement* list = Container(parent, "Characteristics");
        for (size_t i = 0; i < count; ++i) {
            TiXmlElement* item = Container(list, "item");
            Leaf(item, "name", items[i][0]);
            Leaf(item, "unit", items[i][1]);
            Leaf(item, "fullname", items[i][2]);
        }
    }
};

const char* const kEventItems[][3] = {
    {"src", "-", "Time Date Source"},       {"v", "km/h", "Vehicle Speed"},
    {"m", "t", "Axle Load Sum"},            {"pm", "bar", "Demand Pressure"},
    {"odo", "km", "Trip Distance"},         {"lat", "deg", "Latitude Position"},
    {"long", "deg", "Longitude Position"},  {"al", "g", "lateral acceleration"},
    {"alCrit", "g", "critical lateral acceleration"}, {"tyre", "-", "TyreID"},
    {"PTyre", "bar", "Tyre Pressure"},
};

const char* const kTripItems[][3] = {
    {"odo", "km", "odometer"},
    {"src", "-", "Time Date Source"},
    {"dst", "km", "Distance"},
    {"t", "-", "Duration"},
    {"vMax", "km/h", "Max Vehicle Speed"},
    {"pmMean", "bar", "Mean Pressure Demand"},
    {"brakes", "-", "No.of Brake Applications"},
    {"m", "t", "Axle Load Sum"},
    {"mMin", "t", "Min Axle Load Sum"},
    {"mMax", "t", "Max Axle Load Sum"},
    {"ABS", "-", "Number of ABS Brakes"},
    {"RSS1", "-", "Number of RSS1 Brakes"},
    {"RSS2", "-", "Number of RSS2 Brakes"},
    {"WB", "%", "Brake Energy Ratio"},
    {"alMean", "g", "Mean Lateral Accleration"},
};

const char* const kLiningItems[][3] = {{"odo", "km", "odometer"}};

const char* const kDiagnosticItems[][3] = {
    {"src", "-", "Time Date Source"},
    {"v", "km/h", "Vehicle Speed"},
    {"m", "t", "Axle Load Sum"},
    {"pm", "bar", "Demand Pressure(pneumatic)"},
    {"pmCAN", "bar", "Demand Pressure(CAN)"},
    {"pH1", "bar", "Brake Pressure H1"},
    {"pH2", "bar", "Brake Pressure H2"},
    {"pL", "bar", "Brake Pressure L"},
    {"pS", "bar", "Supply Pressure"},
    {"US", "V", "Supply Voltage"},
    {"odo", "km", "Trip Distance"},
};

template <size_t N>
constexpr size_t Count(const char* const (&)[N][3])
{
    return N;
}

} // namespace

std::string OdrExportText(const std::string& raw)
{
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        const size_t n = Utf8Length(raw, i);
        std::string piece;
        if (n == 0) {
            piece = "?";
            i += 1;
        } else {
            const unsigned char c = static_cast<unsigned char>(raw[i]);
            piece = (n == 1 && (c < 0x20 || c == 0x7F)) ? std::string("?") : raw.substr(i, n);
            i += n;
        }
        if (out.size() + piece.size() > 255)
            break;
        out += piece;
    }
    return out;
}

std::string OdrExportNameText(const std::string& vin)
{
    std::string out = OdrExportText(vin);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            c = '_';
    }
    return out;
}

long long OdrIntegerRead(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (v < 100000000000000000LL)
            v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

double OdrFloatRead(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            ++k;
        if (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]))) {
            while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])))
                ++k;
            end = k;
        }
    }
    // Parsed here, not with the C library, so the user's locale cannot change
    // the decimal mark.
    std::string number = text.substr(start, end - start);
    double mantissa = 0.0;
    double scale = 1.0;
    bool fraction = false;
    bool negative = false;
    int exponent = 0;
    size_t k = 0;
    if (k < number.size() && (number[k] == '+' || number[k] == '-'))
        negative = number[k++] == '-';
    for (; k < number.size() && number[k] != 'e' && number[k] != 'E'; ++k) {
        if (number[k] == '.') {
            fraction = true;
            continue;
        }
        mantissa = mantissa * 10.0 + (number[k] - '0');
        if (fraction)
            scale *= 10.0;
    }
    if (k < number.size())
        exponent = static_cast<int>(std::max(-400LL, std::min(400LL, OdrIntegerRead(number.substr(k + 1)))));
    double v = mantissa / scale * std::pow(10.0, exponent);
    if (!std::isfinite(v))
        v = 0.0;
    return negative ? -v : v;
}

OdrTripLeaves OdrTripLeafTexts(const OdrTrip& trip)
{
    const auto has = [&](size_t j) { return j < trip.size(); };
    const auto value = [&](size_t j) -> const std::string& { return trip[j].Value; };
    const auto I = [&](size_t j) { return OdrIntegerRead(value(j)); };
    const auto F = [&](size_t j) { return OdrFloatRead(value(j)); };
    const auto intLeaf = [&](size_t j) { return has(j) ? Int(I(j)) : std::string(kBlank); };
    const auto floatLeaf = [&](size_t j, const char* fmt, double divisor) {
        return has(j) ? Format(fmt, F(j) / divisor) : std::string(kBlank);
    };

    OdrTripLeaves l;
    l.odo = floatLeaf(2, "%.1f", 1.0);
    l.src = intLeaf(4);
    if (l.src == "0")
        l.time = has(5) && has(6) ? Int(I(6)) + ":" + TwoDigits(I(5)) : std::string(kBlank);
    else
        l.time = has(7) ? value(7) : std::string(kBlank);
    l.vMax = intLeaf(10);
    l.brakes = intLeaf(13);
    l.t = has(8) && has(9) ? Int(I(9)) + ":" + TwoDigits(I(8)) : std::string(kBlank);
    l.pmMean = floatLeaf(12, "%.2f", 1.0);
    l.dst = floatLeaf(3, "%.1f", 1.0);
    l.m = floatLeaf(15, "%.1f", 1000.0);
    l.mMin = floatLeaf(16, "%.1f", 1000.0);
    l.mMax = floatLeaf(17, "%.1f", 1000.0);
    l.ABS = intLeaf(18);
    l.RSS1 = intLeaf(19);
    l.RSS2 = intLeaf(20);
    l.WB = kBlank;
    // 0.29 × 100 is 28.999… in binary: a small nudge keeps it 29.
    l.alMean = has(21) ? Int(static_cast<long long>(std::trunc(std::fabs(F(21)) * 100.0 + 1e-9))) : std::string(kBlank);
    return l;
}

std::string OdrDid0046Text(int result, const std::vector<uint8_t>& data)
{
    if (result != 1 || data.size() < 4)
        return "0";
    return std::to_string(BigEndian32(data) / 10);
}

std::string OdrDid004BText(int result, const std::vector<uint8_t>& data)
{
    if (result != 1 || data.size() < 4)
        return "0";
    return std::to_string(BigEndian32(data));
}

OdrExportDocument BuildOdrExportDocument(const OdrExportSnapshot& s, OdrExportReader& reader)
{
    OdrExportDocument out;
    out.vinText = s.vinText;

    TiXmlDocument doc;
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    Builder b;
    TiXmlElement* root = b.Container(&doc, "Trelk_ODR_DATA");

    // Info.
    TiXmlElement* info = b.Container(root, "Info");
    b.Leaf(info, "System", "VADE");
    b.Leaf(info, "FileVersion", "3.5");
    b.Leaf(info, "DiagnosticIdentification", kBlank);
    b.Leaf(info, "ProductNumber", kBlank);
    b.Leaf(info, "ProductionData", kBlank);
    b.Leaf(info, "Barcode", kBlank);
    b.Leaf(info, "ECUSoftwareVersion", s.ecuSoftwareVersion);
    b.Leaf(info, "LicencePlate", kBlank);
    b.Leaf(info, "RelevantMileage", s.mileageAdjusted);
    b.Leaf(info, "RelevantWorkingHours", s.workingHours);
    b.Leaf(info, "ActualMileage", s.mileage);
    b.Leaf(info, "MaxAxleLoad", s.maxAxleLoad);
    b.Leaf(info, "RSSFunction", s.rssFunction);
    b.Leaf(info, "FPIOFctFKD_Name", "---");
    b.Leaf(info, "FPIOFctFKA_Name", "---");
    for (int k = 1; k <= 8; ++k)
        b.Leaf(info, ("FCF" + std::to_string(k) + "FunctionName").c_str(), "---");
    b.Leaf(info, "NumberOfAxles", s.numberOfAxles);
    b.Leaf(info, "NumberOfAxles_L", s.numberOfAxlesL);
    const OdrExportTime now = reader.LocalNow();
    out.date = DateText(now);
    out.time = TimeText(now, ':');
    b.Leaf(info, "Date", out.date);
    b.Leaf(info, "Time", out.time);
    {
        // The VIN: up to 17 data bytes, a zero byte ends them; a failed read
        // keeps the last one.
        std::vector<uint8_t> data;
        if (reader.ReadById(0xF190, data) == 1) {
            std::string vin;
            for (size_t i = 0; i < data.size() && i < 17 && data[i] != 0; ++i)
                vin.push_back(static_cast<char>(data[i]));
            out.vinText = vin;
        }
    }
    b.Leaf(info, "VIN", out.vinText);
    b.Leaf(info, "VehicleProdDate", kBlank);
    b.Leaf(info, "VehicleModel", kBlank);
    b.Leaf(info, "VehicleManufacturer", kBlank);
    b.Leaf(info, "VehicleGroup", kBlank);
    b.Leaf(info, "TypeOfVehicle", s.typeOfVehicle);
    b.Leaf(info, "ABSSystem", "1");
    b.Leaf(info, "SuspensionType", "0");
    b.Leaf(info, "SecondAxleLoadSensor", "0");

    // EventRecorder.
    TiXmlElement* events = b.Container(root, "EventRecorder");
    b.Characteristics(events, kEventItems, Count(kEventItems));
    b.Leaf(events, "Events", kBlank);

    // TripRecorder: one item per trip held, at most the trip count.
    TiXmlElement* tripRecorder = b.Container(root, "TripRecorder");
    b.Leaf(tripRecorder, "lasttrip", s.newestTripText);
    b.Characteristics(tripRecorder, kTripItems, Count(kTripItems));
    const size_t items =
        s.tripCount <= 0 ? 0 : std::min(static_cast<size_t>(s.tripCount), s.trips.size());
    if (items == 0) {
        b.Leaf(tripRecorder, "Trips", kBlank);
    } else {
        TiXmlElement* trips = b.Container(tripRecorder, "Trips");
        for (size_t i = 0; i < items; ++i) {
            const OdrTripLeaves l = OdrTripLeafTexts(s.trips[i]);
            TiXmlElement* item = b.Container(trips, "item");
            TiXmlElement* start = b.Container(item, "start");
            b.Leaf(start, "odo", l.odo);
            b.Leaf(start, "src", l.src);
            b.Leaf(start, "time", l.time);
            TiXmlElement* data = b.Container(item, "data");
            b.Leaf(data, "vMax", l.vMax);
            b.Leaf(data, "brakes", l.brakes);
            b.Leaf(data, "t", l.t);
            b.Leaf(data, "pmMean", l.pmMean);
            b.Leaf(data, "dst", l.dst);
            b.Leaf(data, "m", l.m);
            b.Leaf(data, "mMin", l.mMin);
            b.Leaf(data, "mMax", l.mMax);
            b.Leaf(data, "ABS", l.ABS);
            b.Leaf(data, "RSS1", l.RSS1);
            b.Leaf(data, "RSS2", l.RSS2);
            b.Leaf(data, "WB", l.WB);
            b.Leaf(data, "alMean", l.alMean);
        }
    }

    // Histogram, LiningWearMemory.
    b.Leaf(root, "Histogram", kBlank);
    TiXmlElement* lining = b.Container(root, "LiningWearMemory");
    b.Characteristics(lining, kLiningItems, Count(kLiningItems));
    TiXmlElement* sets = b.Container(lining, "LiningSets");
    b.Leaf(sets, "lastentry", kBlank);

    // LongTermMemory, with the two reads where they stand.
    TiXmlElement* ltm = b.Container(root, "LongTermMemory");
    b.Leaf(ltm, "CntLateralAcceleration2", "0");
    b.Leaf(ltm, "CntLateralAcceleration1", "0");
    b.Leaf(ltm, "CntTrailerBrake", "0");
    b.Leaf(ltm, "CntStopLightOperation", s.value440);
    b.Leaf(ltm, "CntParkingBrake", "0");
    {
        std::vector<uint8_t> data;
        const int result = reader.ReadById(0x0046, data);
        b.Leaf(ltm, "CntOverload", OdrDid0046Text(result, data));
    }
    b.Leaf(ltm, "SumAxleLoad", s.value435);
    b.Leaf(ltm, "CntTotalTrips", s.value434);
    b.Leaf(ltm, "Avg5000DemandPressure", kBlank);
    b.Leaf(ltm, "SumDemandPressure", s.value437);
    b.Leaf(ltm, "CntServiceBrake", s.value439);
    {
        std::vector<uint8_t> data;
        const int result = reader.ReadById(0x004B, data);
        b.Leaf(ltm, "CntServiceBrakeNoCAN", OdrDid004BText(result, data));
    }
    b.Leaf(ltm, "CntABS", s.value442);
    b.Leaf(ltm, "CntRSS1", s.value443);
    b.Leaf(ltm, "CntRSS2", s.value444);
    b.Leaf(ltm, "BrakeEnergyH1", kBlank);
    b.Leaf(ltm, "BrakeEnergyH2", kBlank);
    b.Leaf(ltm, "BrakeEnergyL", kBlank);
    b.Leaf(ltm, "DecelerationEnergy", kBlank);

    // DiagnosticEventRecorder.
    TiXmlElement* diagnostic = b.Container(root, "DiagnosticEventRecorder");
    b.Characteristics(diagnostic, kDiagnosticItems, Count(kDiagnosticItems));
    b.Leaf(diagnostic, "diagnosticEvents", kBlank);

    TiXmlPrinter printer;
    doc.Accept(&printer);
    out.xml = printer.Str();
    out.fileName = OdrExportNameText(out.vinText) + "ODR_Data " + out.date + " " + TimeText(now, '-') + ".TSO";
    return out;
}
