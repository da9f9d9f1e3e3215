#include "CABSDTCInformation.h"

CABSDTCInformation::CABSDTCInformation() : CTarvelPage(3) {}

void CABSDTCInformation::LoadFailureTable()
{
    // The definition files and their table belong to this page's own code,
    // which is not part of this build yet.
}
