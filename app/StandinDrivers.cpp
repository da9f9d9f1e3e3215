// Hands the adapter switch the linked ControlCAN and CANlib stand-ins as the
// drivers to use when the vendors' libraries are not installed. Compiled into
// every program that links the composition (an object of its own, so its
// registration runs before main).
#include "CanDriverLibraries.h"

namespace {

struct StandinRegistration {
    StandinRegistration()
    {
        static tarvel::ControlCanApi controlCan;
        TARVEL_FILL_FROM_LINKED(controlCan, TARVEL_CONTROLCAN_ENTRIES);
        static tarvel::CanlibApi canlib;
        TARVEL_FILL_FROM_LINKED(canlib, TARVEL_CANLIB_REQUIRED_ENTRIES);
        TARVEL_FILL_FROM_LINKED(canlib, TARVEL_CANLIB_OPTIONAL_ENTRIES);
        tarvel::SetControlCanStandin(&controlCan);
        tarvel::SetCanlibStandin(&canlib);
    }
};

const StandinRegistration g_registration;

} // namespace
