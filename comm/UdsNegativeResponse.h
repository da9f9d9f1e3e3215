// What the user sees of an ECU's negative response: the ISO 14229-1 code
// name in the DCM_E_ form. The names are fixed English texts.
#pragma once

#include <cstdint>

namespace tarvel {

// The code's name, or "" for a code without one.
const char* UdsNegativeResponseName(uint8_t code);

// Shows "UDS negative response" naming the code in byte 2 of UdsResponse.
// A response that is not 7F, or has fewer than 3 bytes (by its announced
// length), shows nothing.
void ShowUdsNegativeResponse();

} // namespace tarvel
