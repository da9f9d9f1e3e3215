#include "PageHostTable.h"

#include "AppMessages.h"

#include <cstddef>

namespace tarvel {

namespace {
const std::array<PageSpec, PageCount> table = {{
    {TabDeviceInfo, "CDeviceInfo", 310, 8, "ECU Information", "Failed to create ECU Information windows\n", -4,
     {WM_ACTIVATE_DEVICEINFO, 0}, WM_LANG_DEVICEINFO},
    {TabParameters, "CABSRWDID", 348, 9, "Parameters Setting", "Failed to create Parameters Setting windows\n", -5,
     {0, 0}, WM_LANG_RWDID},
    {TabMonitor, "CABSMonitor", 354, 10, "Data Flow", "Failed to create Data Flow windows\n", -8, {0, 0},
     WM_LANG_MONITOR},
    {TabTroubleCodes, "CABSDTCInformation", 347, 11, "Trouble Codes", "Failed to create Trouble Codes windows\n", -9,
     {0, 0}, WM_LANG_DTCINFO},
    {TabProgramDownload, "CEPBDownLoad", 341, 12, "Program Download", "Failed to create Program Download windows\n",
     -10, {0, 0}, 0},
    {TabEolVoltage, "CABSEOLVoltageTest", 480, 13, "Supply Voltage Test",
     "Failed to create Supply Voltage Test windows\n", -15, {WM_ACTIVATE_EOLVOLTAGE, 0},
     WM_LANG_EOLVOLTAGE},
    {TabEolLamp, "CABSEOLLampTest", 413, 14, "ABS Lamp Test", "Failed to create ABS Lamp Test windows\n", -11,
     {WM_ACTIVATE_EOLLAMP, 0}, WM_LANG_EOLLAMP},
    {TabEolSensor, "CABSEOLSensorValueTest", 438, 15, "ABS Sensor Test", "Failed to create ABS Sensor Test windows\n",
     -12, {WM_ACTIVATE_EOLSENSOR_PREPARE, WM_ACTIVATE_EOLSENSOR}, WM_LANG_EOLSENSOR},
    {TabEolPressure, "CABSEOLPressureTest", 481, 16, "EBS Pressure Test", "Failed to create EBS Pressure Test windows\n",
     -18, {WM_ACTIVATE_EOLPRESSURE, 0}, WM_LANG_EOLPRESSURE},
    {TabEolBackupPressure, "CABSEOLBackupPressureTest", 482, 17, "Backup Pressure Test",
     "Failed to create Backup Pressure Test windows\n", -16, {WM_ACTIVATE_EOLBACKUPPRESSURE, 0},
     WM_LANG_EOLBACKUPPRESSURE},
    {TabEolDtc, "CABSEOLDtcTest", 483, 18, "DTC Check", "Failed to create DTC Check windows\n", -17,
     {WM_ACTIVATE_EOLDTC, 0}, WM_LANG_EOLDTC},
    {TabEolReports, "CABSEOLReports", 439, 19, "Test Report", "Failed to create Test Report windows\n", -13,
     {WM_ACTIVATE_EOLREPORTS, 0}, WM_LANG_EOLREPORTS},
    {TabSystemTag, "CPrintSystemTag", 484, 22, "Print System Tag", "Failed to create Print System Tag windows\n",
     -19, {0, 0}, WM_LANG_SYSTEMTAG},
    {TabLiftingAxleCalibration, "CLiftingAxleCalibration", 486, 23, "Lifting Axle Calibration",
     "Failed to create Lifting Axle Calibration windows\n", -20, {0, 0}, 0},
    {TabEolLiftingAxle, "CEOLLiftingAxleTest", 488, 24, "Lifting Axle Test", "Failed to create Lifting Axle Test windows\n",
     -21, {WM_ACTIVATE_EOLLIFTAXLE, 0}, WM_LANG_EOLLIFTAXLE},
    {TabEolHeightSensor, "CEOLHeightSensorCalibration", 500, 276, "Height Sensor Calibration",
     "Failed to create Height Sensor Calibration windows\n", -22, {WM_ACTIVATE_EOLHEIGHTSENSOR, 0},
     WM_LANG_EOLHEIGHTSENSOR},
    {TabOdrInfo, "CODR_Info", 501, 298, "ODR", "Failed to create ODR Info windows\n", -23,
     {WM_ACTIVATE_ODRINFO, 0}, WM_LANG_ODRINFO},
    {TabOdrTrip, "CODR_Trip_Info", 503, 373, "ODR Trip Info", "Failed to create ODR Trip Info windows\n", -24,
     {0, 0}, WM_LANG_ODRTRIP},
    {TabEolBrakeLamp, "CEOLBrakeLampTest", 504, 448, "Brake Lamp Test", "Failed to create Brake Lamp Test windows\n",
     -25, {WM_ACTIVATE_EOLBRAKELAMP, 0}, WM_LANG_EOLBRAKELAMP},
    {TabEolLiftingSensor, "CEOLLiftingSensorTest", 510, 488, "Lifting Sensor Calibration",
     "Failed to create Lifting Sensor Calibration windows\n", -26, {WM_ACTIVATE_EOLLIFTSENSOR, 0},
     WM_LANG_EOLLIFTSENSOR},
    {TabRssCalibration, "CABSRSSCalibration", 514, 516, "RSS Calibration", "Failed to create RSS Calibration windows\n",
     -27, {0, 0}, WM_LANG_RSSCALIB},
    {TabEolUnderwaterValve, "CEOLUnderwaterValveTest", 515, 580, "Underwater Valve Test",
     "Failed to create UnderwaterValveTest windows\n", -28, {WM_ACTIVATE_EOLBRAKELAMP, 0},
     WM_LANG_EOLBRAKELAMP},
    {TabConnectors, "ABSConnectors", 536, 587, "Connectors", "Failed to create Connectors windows\n", -29, {0, 0},
     0},
}};
} // namespace

const std::array<PageSpec, PageCount>& PageTable()
{
    return table;
}

const PageSpec* FindPageSpec(int tab)
{
    if (tab < 0 || tab >= PageCount)
        return nullptr;
    return &table[static_cast<size_t>(tab)];
}

} // namespace tarvel
