// What the ECU information page shows.
#pragma once

#include <string>

struct DeviceInfoState {
    // The system supplier identifier (DID F18A) as the ECU reported it;
    // empty until it was read, and again once the link is gone.
    std::string supplierId;
    // The last read got no positive answer.
    bool readFailed = false;
};
