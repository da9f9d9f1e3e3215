#include "ABSConnectors.h"

ABSConnectors::ABSConnectors() : CTarvelPage(tarvel::TabConnectors) {}
