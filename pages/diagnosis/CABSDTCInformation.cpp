#include "CABSDTCInformation.h"

CABSDTCInformation::CABSDTCInformation() : CTarvelPage(tarvel::TabTroubleCodes) {}

