#include "SystemTagRead.h"

#include <array>
#include <initializer_list>

#include "LanguageTable.h"
#include "ReportTextTable.h"

std::string DecodeSystemTagValue(const uint8_t* record, size_t size, const ValueField& field)
{
    const std::vector<uint8_t> data(record, record + size);
    return DecodeParameterValue(data, field, SystemTagCodecOptions(field.ByteIndex));
}

std::vector<_tagSystemTagFilldesc_> SystemTagRowsFromBlock(const uint8_t* record, size_t size,
                                                          const std::vector<_tagABSDIDdesc_Sub_>& subFields)
{
    std::vector<_tagSystemTagFilldesc_> rows;
    for (size_t i = 0; i < subFields.size(); ++i) {
        const _tagABSDIDdesc_Sub_& sub = subFields[i];
        SystemTagScratchRow.RowNumber = std::to_string(i + 4);
        SystemTagScratchRow.ParameterName = sub.SubDataName;
        SystemTagScratchRow.ValueText = DecodeSystemTagValue(record, size, MakeValueField(sub, "00A0"));
        SystemTagScratchRow.UnitText = sub.Unit;
        if (sub.ByteIndex == kSystemTagSpecialByte && (SystemTagScratchRow.ValueText == "0" || sub.BitLenth <= 8))
            SystemTagScratchRow.ValueText.clear();
        rows.push_back(SystemTagScratchRow);
    }
    return rows;
}

namespace {

// True when `name` is the text of one of `rows` (an empty text names nothing).
bool NameIs(const std::string& name, std::initializer_list<int> rows)
{
    for (int row : rows) {
        const std::string text = LanguageText(row);
        if (!text.empty() && text == name)
            return true;
    }
    return false;
}

// A line of the chain: up to three rows (-1 for none) and the field.
struct PlateRow {
    std::array<int, 3> rows;
    std::string* field;
};

bool NameIs(const std::string& name, const std::array<int, 3>& rows)
{
    for (int row : rows)
        if (row >= 0 && NameIs(name, {row}))
            return true;
    return false;
}

} // namespace

void MapSystemTagFields(std::string name, std::string value)
{
    if (NameIs(name, {356})) {
        PlateField356 = value;
        return;
    }
    if (NameIs(name, {357})) {
        PlateField357 = value;
        return;
    }
    if (NameIs(name, {316})) {
        if (value == "0")
            PlateAbsConfiguration = PdfText(kSystemTagNoAbsConfigurationPdfRow);
        else if (value == "1")
            PlateAbsConfiguration = "2S2M";
        else if (value == "2")
            PlateAbsConfiguration = "4S2M";
        else if (value == "3")
            PlateAbsConfiguration = "4S3M";
        return;
    }
    // The rest in the order the chain tests them.
    const PlateRow chain[] = {
        {{361, -1, -1}, &PlateField361},
        {{368, -1, -1}, &PlateField368},
        {{369, -1, -1}, &PlateField369},
        {{370, -1, -1}, &PlateField370},
        {{371, -1, -1}, &PlateField371},
        {{411, -1, -1}, &PlateField411},
        {{412, -1, -1}, &PlateField412},
        {{413, -1, -1}, &PlateField413},
        {{414, -1, -1}, &PlateField414},
        {{415, -1, -1}, &PlateField415},
        {{421, -1, -1}, &PlateField421},
        {{422, -1, -1}, &PlateField422},
        {{425, 512, 627}, &PlateField425},
        {{416, -1, -1}, &PlateField416},
        {{417, -1, -1}, &PlateField417},
        {{418, -1, -1}, &PlateField418},
        {{419, -1, -1}, &PlateField419},
        {{420, -1, -1}, &PlateField420},
        {{423, -1, -1}, &PlateField423},
        {{424, -1, -1}, &PlateField424},
        {{426, 513, 628}, &PlateField426},
        {{427, 514, 629}, &PlateField427},
        {{428, 515, 630}, &PlateField428},
        {{318, -1, -1}, &PlateAxleCount},
        {{321, -1, -1}, &PlateAxleFlag1},
        {{327, -1, -1}, &PlateAxleFlag2},
        {{333, -1, -1}, &PlateAxleFlag3},
        {{339, -1, -1}, &PlateAxleFlag4},
        {{345, -1, -1}, &PlateAxleFlag5},
        {{508, 623, -1}, &PlateField508},
        {{509, 624, -1}, &PlateField509},
        {{510, 625, -1}, &PlateField510},
        {{511, 626, -1}, &PlateField511},
        {{586, -1, -1}, &PlateField586},
    };
    for (const PlateRow& line : chain) {
        if (NameIs(name, line.rows)) {
            *line.field = std::move(value);
            return;
        }
    }
}

void ClearEcuPlateFields()
{
    for (std::string* field :
         {&PlateField356, &PlateField357, &PlateAbsConfiguration, &PlateField361, &PlateField368, &PlateField369,
          &PlateField370, &PlateField371, &PlateField411, &PlateField412, &PlateField413, &PlateField414,
          &PlateField415, &PlateField416, &PlateField417, &PlateField418, &PlateField419, &PlateField420,
          &PlateField421, &PlateField422, &PlateField423, &PlateField424, &PlateField425, &PlateField426,
          &PlateField427, &PlateField428, &PlateAxleCount, &PlateAxleFlag1, &PlateAxleFlag2, &PlateAxleFlag3,
          &PlateAxleFlag4, &PlateAxleFlag5, &PlateField508, &PlateField509, &PlateField510, &PlateField511,
          &PlateField586})
        field->clear();
}
