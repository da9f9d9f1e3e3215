#include "CABSMonitor.h"

CABSMonitor::CABSMonitor() : CTarvelPage(2, tarvel::WindowSlot::MonitorPage) {}
