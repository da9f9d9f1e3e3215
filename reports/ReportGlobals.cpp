#include "ReportGlobals.h"

std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

// ---- System-tag page ----
std::string PlateManufacturer, PlateType, PlateVin;
std::string PlateField356, PlateField357, PlateAbsConfiguration, PlateField361;
std::string PlateField368, PlateField369, PlateField370, PlateField371;
std::string PlateField411, PlateField412, PlateField413, PlateField414, PlateField415;
std::string PlateField416, PlateField417, PlateField418, PlateField419, PlateField420;
std::string PlateField421, PlateField422, PlateField423, PlateField424;
std::string PlateField425, PlateField426, PlateField427, PlateField428;
std::string PlateAxleCount;
std::string PlateAxleFlag1, PlateAxleFlag2, PlateAxleFlag3, PlateAxleFlag4, PlateAxleFlag5;
std::string PlateField508, PlateField509, PlateField510, PlateField511;
std::string PlateField586;
_tagSystemTagFilldesc_ SystemTagScratchRow;
int SystemTagEditRow = 0;
int SystemTagEditColumn = 0;
std::string SystemTagPdfPath;
// ---- end of the system-tag page ----

void ResetReportGlobals()
{
    PdfTextTable.clear();
    // System-tag page.
    for (std::string* field :
         {&PlateManufacturer, &PlateType, &PlateVin, &PlateField356, &PlateField357, &PlateAbsConfiguration,
          &PlateField361, &PlateField368, &PlateField369, &PlateField370, &PlateField371, &PlateField411,
          &PlateField412, &PlateField413, &PlateField414, &PlateField415, &PlateField416, &PlateField417,
          &PlateField418, &PlateField419, &PlateField420, &PlateField421, &PlateField422, &PlateField423,
          &PlateField424, &PlateField425, &PlateField426, &PlateField427, &PlateField428, &PlateAxleCount,
          &PlateAxleFlag1, &PlateAxleFlag2, &PlateAxleFlag3, &PlateAxleFlag4, &PlateAxleFlag5, &PlateField508,
          &PlateField509, &PlateField510, &PlateField511, &PlateField586, &SystemTagPdfPath})
        field->clear();
    SystemTagScratchRow = _tagSystemTagFilldesc_{};
    SystemTagEditRow = 0;
    SystemTagEditColumn = 0;
}
