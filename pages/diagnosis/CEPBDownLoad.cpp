#include "CEPBDownLoad.h"

CEPBDownLoad::CEPBDownLoad() : CTarvelPage(4, tarvel::WindowSlot::DownloadPage) {}
