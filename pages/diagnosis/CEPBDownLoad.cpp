#include "CEPBDownLoad.h"

CEPBDownLoad::CEPBDownLoad() : CTarvelPage(tarvel::TabProgramDownload, tarvel::WindowSlot::DownloadPage) {}
