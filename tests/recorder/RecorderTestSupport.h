// A language table whose row N reads "row N", a recording prompter, the boxes
// it saw as row numbers, and every recorder global reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LanguageTable.h"
#include "Prompter.h"
#include "RecorderGlobals.h"

namespace recorder_test {

class RecorderBoxTest : public ::testing::Test {
protected:
    RecorderBoxTest() : scoped_(prompter_)
    {
        ResetRecorderGlobals();
        LanguageIndex = -1;
        LanguageTable.clear();
        for (int i = 0; i < 600; ++i) LanguageTable.push_back({i, "row " + std::to_string(i)});
    }
    ~RecorderBoxTest() override
    {
        LanguageTable.clear();
        LanguageIndex = -1;
        ResetRecorderGlobals();
    }

    // The text rows of the boxes shown so far; each must carry caption row
    // 76, the OK button and no icon.
    std::vector<int> BoxRows() const
    {
        std::vector<int> rows;
        for (const auto& box : prompter_.Boxes()) {
            EXPECT_EQ(box.caption, "row 76");
            EXPECT_EQ(box.buttons, tarvel::MsgButtons::Ok);
            EXPECT_EQ(box.icon, tarvel::MsgIcon::None);
            rows.push_back(std::stoi(box.text.substr(4)));
        }
        return rows;
    }

    tarvel::RecordingPrompter prompter_;
    tarvel::ScopedPrompter scoped_;
};

} // namespace recorder_test
