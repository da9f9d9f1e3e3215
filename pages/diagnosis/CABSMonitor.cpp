#include "CABSMonitor.h"

CABSMonitor::CABSMonitor() : CTarvelPage(tarvel::TabMonitor, tarvel::WindowSlot::MonitorPage) {}
