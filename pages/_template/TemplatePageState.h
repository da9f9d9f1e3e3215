// What the template page shows. Everything the window draws comes from here.
#pragma once

#include <string>

struct TemplatePageState {
    // The ECU's serial number (DID F18C) as last read; empty before a read,
    // after a failed one and once the link is gone.
    std::string serialNumber;
    bool readFailed = false;
    // Number of completed reads (the periodic refresh counts too).
    int reads = 0;
};
