// A language table whose row N reads "row N", a recording prompter, and the
// boxes it saw as row numbers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LanguageTable.h"
#include "Prompter.h"

namespace definitions_test {

inline std::string Fixture(const std::string& name) { return std::string(TARVEL_DEFINITION_FIXTURES) + "/" + name; }

class BoxTest : public ::testing::Test {
protected:
    BoxTest() : scoped_(prompter_)
    {
        LanguageTable.clear();
        for (int i = 0; i < 600; ++i) LanguageTable.push_back({i, "row " + std::to_string(i)});
    }
    ~BoxTest() override { LanguageTable.clear(); }

    // The text rows of the boxes shown so far; each must carry caption row 76.
    std::vector<int> BoxRows() const
    {
        std::vector<int> rows;
        for (const auto& box : prompter_.Boxes()) {
            EXPECT_EQ(box.caption, "row 76");
            EXPECT_EQ(box.buttons, tarvel::MsgButtons::Ok);
            rows.push_back(std::stoi(box.text.substr(4)));
        }
        return rows;
    }

    tarvel::RecordingPrompter prompter_;
    tarvel::ScopedPrompter scoped_;
};

} // namespace definitions_test
