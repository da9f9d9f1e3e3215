#include "CPrintSystemTag.h"

CPrintSystemTag::CPrintSystemTag() : CTarvelPage(12, tarvel::WindowSlot::SystemTagDialog) {}
