#include "ABSConnectors.h"

ABSConnectors::ABSConnectors() : CTarvelPage(22) {}
