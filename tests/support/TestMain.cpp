// The main of every test that links the shared support: one listener puts
// every program-wide global back to its load-time value before each test, so
// no test inherits what another left behind.
#include "GlobalsReset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

class ResetGlobalsBeforeEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { tarvel_test::ResetAllGlobals(); }
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetGlobalsBeforeEachTest);
    return RUN_ALL_TESTS();
}
