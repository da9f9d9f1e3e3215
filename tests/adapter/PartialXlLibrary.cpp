// A driver library that lacks most XL entry points: loading it must fail
// without the "not found" box.
#include "VectorXlApi.h"

extern "C" XLAPI_EXPORT XLstatus XLAPI_CALL xlOpenDriver(void) { return XL_SUCCESS; }
