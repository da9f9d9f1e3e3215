// The two pressure pages on the trailer bench: the monitor definitions
// loaded as the monitor page loads them, an operator, and boxes that can do
// something while they are open (the operator builds pressure, Exit is
// pressed, time passes).
#pragma once

#include "EolBackupPressureLogic.h"
#include "EolBench.h"
#include "EolBrakePressureLogic.h"

#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"

#include "DelayPumping.h"
#include "Prompter.h"

#include "SimOperator.h"
#include "ControlCanStandin.h"
#include "SimTrailerData.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace eoltest {

// Records every box in the bench's prompter; a box whose text has a hook
// runs it before it is closed.
class BoxHooks : public tarvel::Prompter {
public:
    explicit BoxHooks(tarvel::RecordingPrompter& record) : record_(record), use_(*this) {}

    void On(const std::string& text, std::function<void()> hook) { hooks_[text] = std::move(hook); }

    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        const tarvel::MsgAnswer answer = record_.Show(text, caption, icon, buttons);
        auto it = hooks_.find(text);
        if (it != hooks_.end() && it->second) {
            auto hook = it->second;
            hook();
        }
        return answer;
    }

private:
    tarvel::RecordingPrompter& record_;
    tarvel::ScopedPrompter use_;
    std::map<std::string, std::function<void()>> hooks_;
};

class PressureBenchTest : public EolBenchTest {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        ASSERT_TRUE(LoadDidDefinitionFile(
            DefinitionFileName("VADE_MonitorParameterConfig/VADE_MonitorParameter", bench.Context().texts.Language()),
            0, MonitorDidList));
    }

    EolBrakePressureLogic& Brake()
    {
        return *dynamic_cast<EolBrakePressureLogic*>(bench.pages.Logic(tarvel::TabEolPressure));
    }
    EolBackupPressureLogic& Backup()
    {
        return *dynamic_cast<EolBackupPressureLogic*>(bench.pages.Logic(tarvel::TabEolBackupPressure));
    }

    void TearDown() override { EndSilence(); }

    // The two ways the link falls silent: the ECU stops answering, or the
    // adapter stops receiving. EndSilence (also run after each test) brings
    // the link back.
    static constexpr int kSilences = 2;
    static const char* SilenceName(int which)
    {
        return which == 0 ? "the ECU stops answering" : "the adapter stops receiving";
    }
    void BeginSilence(int which)
    {
        if (which == 0) {
            bench.ecu->SetNoAnswer(0);
        } else {
            standin::ControlCanLog().FailCall("VCI_GetReceiveNum", 0, 0);
            standin::ControlCanLog().FailCall("VCI_Receive", 0, 0);
        }
    }
    void EndSilence()
    {
        standin::ControlCanLog().ClearFailures();
        bench.ecu->ClearFaults();
    }

    // Both the trailer and what the program knows of it.
    void UseForm(sim::trailerdata::TrailerForm form)
    {
        trailer.SetForm(form);
        SystemForm = sim::trailerdata::FormName(form);
    }

    void DropMonitorRecord(const std::string& did)
    {
        MonitorDidList.erase(std::remove_if(MonitorDidList.begin(), MonitorDidList.end(),
                                            [&](const _tagMonitorDIDdesc_& r) { return r.DidNumber == did; }),
                             MonitorDidList.end());
    }

    // The requests since the last clear, without the keep-alive's TesterPresent.
    std::vector<std::vector<uint8_t>> Sent() const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& request : bench.Requests())
            if (request.empty() || request[0] != 0x3E)
                out.push_back(request);
        return out;
    }
    // The page's boxes shown so far (the UDS layer's own boxes about
    // negative responses left out).
    std::vector<tarvel::RecordingPrompter::Box> PageBoxes() const
    {
        std::vector<tarvel::RecordingPrompter::Box> out;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption != "UDS negative response")
                out.push_back(box);
        return out;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> out;
        for (const auto& box : PageBoxes())
            out.push_back(box.text);
        return out;
    }
    std::vector<std::string> UiTexts(std::initializer_list<int> rows) const
    {
        std::vector<std::string> out;
        for (int row : rows)
            out.push_back(UiText(row));
        return out;
    }
    static size_t Count(const std::vector<std::vector<uint8_t>>& sent, const std::vector<uint8_t>& request)
    {
        return static_cast<size_t>(std::count(sent.begin(), sent.end(), request));
    }
    // Lets time pass with the program's events running (ticks included).
    static void Pump(uint32_t ms) { tarvel::DelayPumpingMessages(ms); }

    sim::SimOperator op{trailer};
    BoxHooks boxes{bench.prompter};
};

} // namespace eoltest
