// A language table whose row n reads "row n", with every diagnosis and
// settings global at its load value, for the equipment tests.
#pragma once

#include <gtest/gtest.h>

#include "DiagnosisGlobals.h"
#include "EquipmentFlags.h"
#include "LanguageTable.h"
#include "SettingsFiles.h"

#include <string>
#include <vector>

namespace equipment_test {

inline std::string T(int row) { return "row " + std::to_string(row); }

inline void FillLanguageTable()
{
    LanguageTable.clear();
    for (int n = 0; n < 700; ++n) LanguageTable.push_back({n, T(n)});
}

inline tarvel::ParameterRow Row(int row, const std::string& value) { return {T(row), value}; }

class EquipmentTest : public ::testing::Test {
protected:
    EquipmentTest()
    {
        ResetDiagnosisGlobals();
        FillLanguageTable();
        CalibParamFilePath = "C:\\";
    }
    ~EquipmentTest() override
    {
        ResetDiagnosisGlobals();
        LanguageTable.clear();
        CalibParamFilePath = "C:\\";
    }
};

} // namespace equipment_test
