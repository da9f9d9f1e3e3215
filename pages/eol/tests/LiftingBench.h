// What the tests of the two lifting pages share on the trailer bench: the
// page's logic, the requests other than the keep-alive, and a run ended
// (by a disconnect or Exit Test) during the wait after Start.
#pragma once

#include "EolBench.h"
#include "EolLiftingPageLogic.h"

#include "UdsEngine.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <vector>

namespace eoltest {

template <class Logic, int Tab>
class LiftingBenchTest : public EolBenchTest {
protected:
    Logic& Page() { return *dynamic_cast<Logic*>(bench.pages.Logic(Tab)); }

    // The requests since the first `from` of Requests() other than the
    // keep-alive.
    std::vector<std::vector<uint8_t>> PageRequestsSince(size_t from) const
    {
        std::vector<std::vector<uint8_t>> out;
        const auto all = bench.Requests();
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].empty() || all[i][0] != 0x3E)
                out.push_back(all[i]);
        return out;
    }

    // Start, and `afterMs` into the wait after it a disconnect (or Exit
    // Test): the wait itself runs to its end and the run is over, with no
    // pair, no step and no prompt. `before` is the number of requests sent
    // when the run was ended.
    void EndDuringTheStartWait(bool disconnect, uint32_t afterMs, size_t& before)
    {
        const uint64_t start = bench.clock.NowUs();
        before = 0;
        bool fired = false;
        pump.Once([&] { return bench.clock.NowUs() >= start + uint64_t{afterMs} * 1000; },
                  [&] {
                      fired = true;
                      before = bench.Requests().size();
                      if (disconnect)
                          bench.Disconnect();
                      else
                          Page().ExitTest();
                  });
        Page().Start();
        ASSERT_TRUE(fired);
        EXPECT_GE(bench.clock.NowUs(), start + Logic::kReadWaitMs * 1000) << "the wait itself runs to its end";
        EXPECT_FALSE(Page().Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_EQ(Page().State().pairShown, 0);
        EXPECT_EQ(Page().State().step, 0);
        EXPECT_EQ(Page().Common().question, "");
    }

    // 20 s later: nothing but the keep-alive was sent since `before`, and
    // after a disconnect not even that; no box was shown.
    void ExpectNothingMoreSent(size_t before, bool disconnect)
    {
        bench.Advance(20000);
        EXPECT_THAT(PageRequestsSince(before), ::testing::IsEmpty());
        if (disconnect) {
            EXPECT_EQ(bench.Requests().size(), before);
        }
        EXPECT_THAT(bench.prompter.Boxes(), ::testing::IsEmpty());
    }
};

} // namespace eoltest
