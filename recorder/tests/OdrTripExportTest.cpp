// The trips of the recorder export against what the trip browser shows and
// what the simulated ECU holds: the shipped trip layouts put each exported
// quantity at the row the export reads, in every language; a whole read,
// browse and export of the simulated recorder gives, for every trip, the
// values the page shows and the ECU recorded; an empty ring is read and
// exported too.
#include "ODR_InfoLogic.h"
#include "ODR_Trip_InfoLogic.h"
#include "OdrDefinitions.h"
#include "OdrValueDecoding.h"
#include "RecorderGlobals.h"

#include "LanguageTable.h"

#include "SimEcu.h"
#include "SimEcuRecorderData.h"

#include "Matchers.h"
#include "PageBench.h"
#include "DecimalText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using tarvel_test::Bytes;
using ::testing::ElementsAre;
namespace ecudata = sim::ecudata;

// Where the export's trip leaves take their values from: the row of every
// trip layout, its unit and its name by language index (Chinese, English,
// Russian, Spanish, Portuguese).
struct ExportedRow {
    const char* element;
    size_t row;
    const char* unit;
    std::array<const char*, 5> names;
};

const ExportedRow kExportedRows[] = {
    {"odo",
     2,
     "km",
     {"行程开始时总里程", "Odometer at trip start", "Пробег в начале поездки", "Odómetro al inicio del viaje",
      "Hodômetro no início da viagem"}},
    {"dst", 3, "km", {"行程里程", "Trip distance", "Пробег за поездку", "Distancia del viaje", "Distância da viagem"}},
    {"src",
     4,
     "",
     {"时间日期来源", "Time and date source", "Источник даты и времени", "Fuente de fecha y hora",
      "Fonte de data e hora"}},
    {"time, minutes (src 0)",
     5,
     "min",
     {"开始时运行时间(分)", "Start: operating time, minutes", "Начало: время работы, минуты",
      "Inicio: tiempo de funcionamiento, minutos", "Início: tempo de funcionamento, minutos"}},
    {"time, hours (src 0)",
     6,
     "h",
     {"开始时运行时间(时)", "Start: operating time, hours", "Начало: время работы, часы",
      "Inicio: tiempo de funcionamiento, horas", "Início: tempo de funcionamento, horas"}},
    {"time (src not 0)",
     7,
     "",
     {"行程开始时间", "Trip start", "Начало поездки", "Inicio del viaje", "Início da viagem"}},
    {"t, minutes",
     8,
     "min",
     {"行程时长(分)", "Duration, minutes", "Длительность, минуты", "Duración, minutos", "Duração, minutos"}},
    {"t, hours",
     9,
     "h",
     {"行程时长(时)", "Duration, hours", "Длительность, часы", "Duración, horas", "Duração, horas"}},
    {"vMax",
     10,
     "km/h",
     {"最高车速", "Maximum speed", "Максимальная скорость", "Velocidad máxima", "Velocidade máxima"}},
    {"pmMean",
     12,
     "bar",
     {"平均需求压力", "Mean demand pressure", "Среднее управляющее давление", "Presión de demanda media",
      "Pressão de demanda média"}},
    {"brakes", 13, "", {"制动次数", "Brake applications", "Число торможений", "Frenadas", "Frenagens"}},
    {"m",
     15,
     "kg",
     {"平均轴荷总和", "Mean axle load sum", "Средняя суммарная нагрузка на оси", "Suma media de cargas por eje",
      "Soma média das cargas por eixo"}},
    {"mMin",
     16,
     "kg",
     {"最小轴荷总和", "Minimum axle load sum", "Минимальная суммарная нагрузка на оси", "Suma mínima de cargas por eje",
      "Soma mínima das cargas por eixo"}},
    {"mMax",
     17,
     "kg",
     {"最大轴荷总和", "Maximum axle load sum", "Максимальная суммарная нагрузка на оси",
      "Suma máxima de cargas por eje", "Soma máxima das cargas por eixo"}},
    {"ABS", 18, "", {"ABS调节制动次数", "ABS brakings", "Торможения с ABS", "Frenadas con ABS", "Frenagens com ABS"}},
    {"RSS1",
     19,
     "",
     {"防侧翻一级调节次数", "RSS level 1 interventions", "Срабатывания RSS 1-го уровня",
      "Intervenciones RSS de nivel 1", "Intervenções RSS de nível 1"}},
    {"RSS2",
     20,
     "",
     {"防侧翻二级调节次数", "RSS level 2 interventions", "Срабатывания RSS 2-го уровня",
      "Intervenciones RSS de nivel 2", "Intervenções RSS de nível 2"}},
    {"alMean",
     21,
     "g",
     {"平均横向加速度", "Mean lateral acceleration", "Среднее поперечное ускорение", "Aceleración lateral media",
      "Aceleração lateral média"}},
};

TEST(OdrTripLayouts, EveryExportedElementHasItsRowInEveryLanguage)
{
    for (int language = 0; language <= 4; ++language) {
        tarvel_test::PageBench bench(language);
        for (int layout : {1, 2}) {
            SCOPED_TRACE("language " + std::to_string(language) + ", layout " + std::to_string(layout));
            OdrTripLayoutVersion = layout;
            LoadOdrTripParameterConfig();
            ASSERT_EQ(OdrTripDidTable.size(), 1u);
            const auto& subs = OdrTripDidTable[0].SubFields;
            ASSERT_GE(subs.size(), 22u) << "every row the export reads";
            for (const ExportedRow& e : kExportedRows) {
                EXPECT_EQ(subs.at(e.row).SubDataName, e.names[static_cast<size_t>(language)]) << e.element;
                EXPECT_EQ(subs.at(e.row).Unit, e.unit) << e.element;
            }
            EXPECT_EQ(subs.at(kOdrTimeDateField).BitLenth, 64) << "the J1939 start time";
        }
        EXPECT_TRUE(bench.prompter.Boxes().empty());
    }
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Clock(long long hours, long long minutes)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld", hours, minutes);
    return text;
}

using tarvel_test::Fixed;

// The leaves of one trip item that carry a value, by name (WB is a
// placeholder in every trip).
std::map<std::string, std::string> LeavesOf(const TiXmlElement* item)
{
    std::map<std::string, std::string> leaves;
    for (const char* group : {"start", "data"})
        for (const TiXmlElement* e = item->FirstChildElement(group)->FirstChildElement(); e;
             e = e->NextSiblingElement())
            if (std::string(e->Value()) != "WB")
                leaves[e->Value()] = e->GetText() ? e->GetText() : "";
    return leaves;
}

// The export's texts made from the values a trip page shows, by the
// conversions of the export: numbers read from the start of the text.
std::map<std::string, std::string> LeavesFromPage(const std::map<std::string, std::string>& shown)
{
    const auto I = [&](const char* e) { return std::strtoll(shown.at(e).c_str(), nullptr, 10); };
    const auto F = [&](const char* e) { return std::strtod(shown.at(e).c_str(), nullptr); };
    std::map<std::string, std::string> l;
    l["odo"] = Format("%.1f", F("odo"));
    l["src"] = std::to_string(I("src"));
    l["time"] =
        l["src"] == "0" ? Clock(I("time, hours (src 0)"), I("time, minutes (src 0)")) : shown.at("time (src not 0)");
    l["vMax"] = std::to_string(I("vMax"));
    l["brakes"] = std::to_string(I("brakes"));
    l["t"] = Clock(I("t, hours"), I("t, minutes"));
    l["pmMean"] = Format("%.2f", F("pmMean"));
    l["dst"] = Format("%.1f", F("dst"));
    l["m"] = Format("%.1f", F("m") / 1000);
    l["mMin"] = Format("%.1f", F("mMin") / 1000);
    l["mMax"] = Format("%.1f", F("mMax") / 1000);
    l["ABS"] = std::to_string(I("ABS"));
    l["RSS1"] = std::to_string(I("RSS1"));
    l["RSS2"] = std::to_string(I("RSS2"));
    // |F| x 100 truncated, read so that 0.29 gives 29 although 0.29 x 100 is
    // just below 29 in binary.
    l["alMean"] = std::to_string(static_cast<long long>(std::trunc(std::fabs(F("alMean")) * 100 + 1e-9)));
    return l;
}

// The same texts from what the ECU recorded, in the units of its bytes.
std::map<std::string, std::string> LeavesFromEcu(const ecudata::OdrTripFacts& f)
{
    std::map<std::string, std::string> l;
    l["odo"] = Fixed(f.odometerStart, 1);
    l["src"] = std::to_string(f.timeSource);
    if (f.timeSource == 0) {
        l["time"] = Clock(f.startOperatingMin / 60, f.startOperatingMin % 60);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f.startYear, f.startMonth, f.startDay,
                      f.startHour, f.startMinute, f.startSecond);
        l["time"] = text;
    }
    l["vMax"] = std::to_string(std::strtoll(Format("%.0f", f.maxSpeed / 256.0).c_str(), nullptr, 10));
    l["brakes"] = std::to_string(f.brakes);
    l["t"] = Clock(f.durationMin / 60, f.durationMin % 60);
    l["pmMean"] = Fixed(f.meanDemand * 5, 2);
    l["dst"] = Fixed(f.distance, 1);
    l["m"] = Format("%.1f", f.meanLoad * 10 / 1000.0);
    l["mMin"] = Format("%.1f", f.minLoad * 10 / 1000.0);
    l["mMax"] = Format("%.1f", f.maxLoad * 10 / 1000.0);
    l["ABS"] = std::to_string(f.abs);
    l["RSS1"] = std::to_string(f.rss1);
    l["RSS2"] = std::to_string(f.rss2);
    l["alMean"] = std::to_string(f.lateral);
    return l;
}

std::vector<const TiXmlElement*> TripItems(const TiXmlDocument& doc)
{
    std::vector<const TiXmlElement*> items;
    const TiXmlElement* trips = doc.RootElement()->FirstChildElement("TripRecorder")->FirstChildElement("Trips");
    for (const TiXmlElement* item = trips->FirstChildElement("item"); item; item = item->NextSiblingElement("item"))
        items.push_back(item);
    return items;
}

bool XmllintAccepts(const fs::path& file)
{
    return std::system(("xmllint --noout '" + file.string() + "' 2>/dev/null").c_str()) == 0;
}

class OdrTripExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        recorder.OnResetForNewRun();
        folder = fs::temp_directory_path() / ("odr_trip_export_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // Export into `name` in the test's folder; true when it was saved.
    bool Export(const std::string& name, TiXmlDocument& doc)
    {
        const fs::path file = folder / name;
        bench.files.QueueAnswer(file.string());
        bench.prompter.Clear();
        recorder.ExportOdrData();
        if (bench.prompter.Boxes().size() != 1 || bench.prompter.Boxes()[0].text != LanguageText(179))
            return false;
        EXPECT_TRUE(XmllintAccepts(file));
        return doc.LoadFile(file.string().c_str());
    }

    tarvel_test::PageBench bench;
    ODR_InfoLogic recorder{bench.Context()};
    ODR_Trip_InfoLogic browser{bench.Context()};
    fs::path folder;
};

TEST_F(OdrTripExport, EveryTripShownIsTheTripInTheFileAndTheTripTheEcuRecorded)
{
    recorder.ReadOdrInformation();
    ASSERT_TRUE(ODR_InfoLogic::TripsHeld());
    const ecudata::OdrLog& log = ecudata::OdrLogOf(sim::ecudata::EcuProfile::Standard);
    ASSERT_EQ(OdrTripCount, 600);
    TiXmlDocument doc;
    ASSERT_TRUE(Export("full.TSO", doc));
    const std::vector<const TiXmlElement*> items = TripItems(doc);
    ASSERT_EQ(items.size(), 600u);
    EXPECT_STREQ(doc.RootElement()->FirstChildElement("TripRecorder")->FirstChildElement("lasttrip")->GetText(),
                 std::to_string(log.newestSlot).c_str());

    size_t timed = 0, untimed = 0, layout2 = 0;
    for (int number = 1; number <= 600; ++number) {
        browser.GoToTrip(std::to_string(number));
        const int32_t slot = OdrShownTrip;
        ASSERT_GE(slot, 0);
        SCOPED_TRACE("trip " + std::to_string(number) + " in slot " + std::to_string(slot));
        const ecudata::OdrTripFacts& facts = log.facts.at(static_cast<size_t>(slot));
        // Trip 1 of the page is the oldest the ECU still holds.
        EXPECT_EQ(facts.number, 1624 - 600 + number);

        std::map<std::string, std::string> shown;
        const OdrTrip& rows = browser.State().rows;
        for (const ExportedRow& e : kExportedRows) {
            for (const auto& row : rows)
                if (row.ParameterName == e.names[1])
                    shown[e.element] = row.Value;
            ASSERT_EQ(shown.count(e.element), 1u) << e.element << " is not on the page";
        }
        const auto inFile = LeavesOf(items.at(static_cast<size_t>(slot)));
        EXPECT_EQ(inFile, LeavesFromPage(shown));
        EXPECT_EQ(inFile, LeavesFromEcu(facts));
        (facts.timeSource != 0 ? timed : untimed) += 1;
        layout2 += facts.layout == 2;
    }
    // The log has trips of both time sources and both layouts.
    EXPECT_GT(timed, 0u);
    EXPECT_GT(untimed, 0u);
    EXPECT_GT(layout2, 0u);
    EXPECT_LT(layout2, 600u);
    EXPECT_EQ(bench.prompter.Boxes().size(), 1u) << "only the box of the saved file";
}

TEST_F(OdrTripExport, AnEmptyRingIsReadCompletelyAndExportedWithoutTrips)
{
    ecudata::InstallOdrRecorder(*bench.ecu, ecudata::MakeOdrLog(0, 0, 1));
    bench.ClearRequests();
    recorder.ReadOdrInformation();
    EXPECT_THAT(bench.Requests(),
                ElementsAre(Bytes("22 00 42"), Bytes("22 00 44"), Bytes("22 00 43"), Bytes("22 00 4A"),
                            Bytes("22 00 48"), Bytes("10 03"), Bytes("27 01"), ::testing::_,
                            Bytes("31 01 C0 0A 00 00 00")));
    EXPECT_EQ(OdrTripCount, 0);
    EXPECT_TRUE(ODR_InfoLogic::TripsHeld());
    EXPECT_FALSE(recorder.State().rows.empty());

    TiXmlDocument doc;
    ASSERT_TRUE(Export("empty.TSO", doc)) << "the read is complete: the file is written";
    const TiXmlElement* root = doc.RootElement();
    EXPECT_STREQ(root->FirstChildElement("Info")->FirstChildElement("ActualMileage")->GetText(),
                 recorder.State().rows.at(2).Value.c_str());
    const TiXmlElement* trips = root->FirstChildElement("TripRecorder")->FirstChildElement("Trips");
    ASSERT_NE(trips, nullptr);
    EXPECT_EQ(trips->FirstChildElement(), nullptr) << "no trip";
    EXPECT_NE(root->FirstChildElement("LongTermMemory"), nullptr) << "the sections after the trips";

    // A second press reads the information only.
    bench.ClearRequests();
    recorder.ReadOdrInformation();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 42"), Bytes("22 00 44"), Bytes("22 00 43")));
}

} // namespace
