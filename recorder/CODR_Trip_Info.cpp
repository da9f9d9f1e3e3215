#include "CODR_Trip_Info.h"

CODR_Trip_Info::CODR_Trip_Info() : CTarvelPage(tarvel::TabOdrTrip) {}
