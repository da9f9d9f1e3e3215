#include "CPrintSystemTag.h"

CPrintSystemTag::CPrintSystemTag() : CTarvelPage(tarvel::TabSystemTag, tarvel::WindowSlot::SystemTagDialog) {}
