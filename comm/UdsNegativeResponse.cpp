#include "UdsNegativeResponse.h"

#include "Prompter.h"
#include "UdsEngine.h"

#include <string>

namespace tarvel {

namespace {
struct NrcRow {
    uint8_t code;
    const char* name;
};

const NrcRow kNrcTable[] = {
    {0x00, "DCM_E_POSITIVERESPONSE"},
    {0x10, "DCM_E_GENERALREJECT"},
    {0x11, "DCM_E_SERVICENOTSUPPORTED"},
    {0x12, "DCM_E_SUBFUNCTIONNOTSUPPORTED"},
    {0x13, "DCM_E_INCORRECTMESSAGELENGTHORINVALIDFORMAT"},
    {0x14, "DCM_E_RESPONSETOOLONG"},
    {0x21, "DCM_E_BUSYREPEATREQUEST"},
    {0x22, "DCM_E_CONDITIONSNOTCORRECT"},
    {0x24, "DCM_E_REQUESTSEQUENCEERROR"},
    {0x25, "DCM_E_NORESPONSEFROMSUBNETCOMPONENT"},
    {0x26, "DCM_E_FAILUREPREVENTSEXECUTIONOFREQUESTEDACTION"},
    {0x31, "DCM_E_REQUESTOUTOFRANGE"},
    {0x33, "DCM_E_SECURITYACCESSDENIED"},
    {0x35, "DCM_E_INVALIDKEY"},
    {0x36, "DCM_E_EXCEEDNUMBEROFATTEMPTS"},
    {0x37, "DCM_E_REQUIREDTIMEDELAYNOTEXPIRED"},
    {0x70, "DCM_E_UPLOADDOWNLOADNOTACCEPTED"},
    {0x71, "DCM_E_TRANSFERDATASUSPENDED"},
    {0x72, "DCM_E_GENERALPROGRAMMINGFAILURE"},
    {0x73, "DCM_E_WRONGBLOCKSEQUENCECOUNTER"},
    {0x78, "DCM_E_REQUESTCORRECTLYRECEIVEDRESPONSEPENDING"},
    {0x7E, "DCM_E_SUBFUNCTIONNOTSUPPORTEDINACTIVESESSION"},
    {0x7F, "DCM_E_SERVICENOTSUPPORTEDINACTIVESESSION"},
    {0x81, "DCM_E_RPMTOOHIGH"},
    {0x83, "DCM_E_ENGINEISRUNNING"},
    {0x84, "DCM_E_ENGINEISNOTRUNNING"},
    {0x85, "DCM_E_ENGINERUNTIMETOOLOW"},
    {0x86, "DCM_E_TEMPERATURETOOHIGH"},
    {0x87, "DCM_E_TEMPERATURETOOLOW"},
    {0x88, "DCM_E_VEHICLESPEEDTOOHIGH"},
    {0x89, "DCM_E_VEHICLESPEEDTOOLOW"},
    {0x8A, "DCM_E_THROTTLE_PEDALTOOHIGH"},
    {0x8B, "DCM_E_THROTTLE_PEDALTOOLOW"},
    {0x8C, "DCM_E_TRANSMISSIONRANGENOTINNEUTRAL"},
    {0x8D, "DCM_E_TRANSMISSIONRANGENOTINGEAR"},
    {0x8F, "DCM_E_BRAKESWITCH_NOTCLOSED"},
    {0x90, "DCM_E_SHIFTERLEVERNOTINPARK"},
    {0x91, "DCM_E_TORQUECONVERTERCLUTCHLOCKED"},
    {0x92, "DCM_E_VOLTAGETOOHIGH"},
    {0x93, "DCM_E_VOLTAGETOOLOW"},
};
static_assert(sizeof(kNrcTable) / sizeof(kNrcTable[0]) == 40, "the table has 40 rows");
} // namespace

const char* UdsNegativeResponseName(uint8_t code)
{
    for (const NrcRow& row : kNrcTable)
        if (row.code == code)
            return row.name;
    return "";
}

void ShowUdsNegativeResponse()
{
    // Only a negative answer carries a code, and byte 2 must be a byte the
    // ECU sent, not padding of the frame.
    if (UdsResponseLength() < 3 || UdsResponse[0] != 0x7F)
        return;
    const std::string text =
        std::string("The following negative response code received:") + UdsNegativeResponseName(UdsResponse[2]);
    ShowMessage(text, "UDS negative response", MsgIcon::Exclamation);
}

} // namespace tarvel
