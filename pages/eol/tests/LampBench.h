// The two lamp pages on the trailer bench: what tells them apart (tab, output,
// flags, remarks, texts, operator questions) and small helpers to run them.
#pragma once

#include "EolBench.h"
#include "EolBrakeLampLogic.h"
#include "EolWarningLampLogic.h"

#include "SimOperator.h"
#include "SimTrailerData.h"

#include <cstdint>
#include <string>
#include <vector>

namespace eoltest {

struct LampPageCase {
    const char* name;
    int tab;
    uint8_t output;
    int32_t* onResult;
    int32_t* offResult;
    std::string* onRemark;
    std::string* offRemark;
    int onPrompt, offPrompt;
    int onRefused, offRefused;
    sim::OperatorQuestion lit, dark;
    // The lamp-on NO writes the marker even when SecurityAccess is refused.
    bool markerWithoutUnlock;
};

inline const std::vector<LampPageCase>& LampPages()
{
    static const std::vector<LampPageCase> pages = {
        {"warning lamp", tarvel::TabEolLamp, sim::trailerdata::kOutputWarningLamp, &EolWarningLampOnResult,
         &EolWarningLampOffResult, &EolWarningLampOnRemark, &EolWarningLampOffRemark, 239, 240, 187, 188,
         sim::OperatorQuestion::WarningLampLit, sim::OperatorQuestion::WarningLampDark, false},
        {"brake lamp", tarvel::TabEolBrakeLamp, sim::trailerdata::kOutputBrakeLamp, &EolBrakeLampOnResult,
         &EolBrakeLampOffResult, &EolBrakeLampOnRemark, &EolBrakeLampOffRemark, 449, 450, 465, 466,
         sim::OperatorQuestion::BrakeLampLit, sim::OperatorQuestion::BrakeLampDark, true},
    };
    return pages;
}

class LampBenchTest : public EolBenchTest {
protected:
    EolLampQuestionLogic& Page(const LampPageCase& p)
    {
        return *dynamic_cast<EolLampQuestionLogic*>(bench.pages.Logic(p.tab));
    }
    EolBrakeLampLogic& BrakeLamp()
    {
        return *dynamic_cast<EolBrakeLampLogic*>(bench.pages.Logic(tarvel::TabEolBrakeLamp));
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
    static std::vector<uint8_t> Lamp(const LampPageCase& p, bool on)
    {
        return {0x2F, 0x00, 0x04, 0x03, p.output, uint8_t(on ? 0xFF : 0x00), 0xFF};
    }
    static bool IsKey(const std::vector<uint8_t>& request)
    {
        return request.size() == 6 && request[0] == 0x27 && request[1] == 0x02;
    }
    // 10 03, 27 01, 27 02 <key> at `at`.
    static void ExpectUnlockAt(const std::vector<std::vector<uint8_t>>& sent, size_t at)
    {
        ASSERT_GE(sent.size(), at + 3);
        EXPECT_EQ(sent[at], tarvel_test::Bytes("10 03"));
        EXPECT_EQ(sent[at + 1], tarvel_test::Bytes("27 01"));
        EXPECT_TRUE(IsKey(sent[at + 2]));
    }
    // The boxes shown since the last clear with `caption` (the page's own
    // boxes; the services' boxes have captions of their own).
    std::vector<std::string> PageBoxes() const
    {
        std::vector<std::string> out;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption == UiText(74) || box.caption == UiText(76))
                out.push_back(box.text);
        return out;
    }

    sim::SimOperator person{trailer};
};

} // namespace eoltest
