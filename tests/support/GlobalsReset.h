// Puts every program-wide global back to its load-time value: the shell's,
// the page folders', the settings and language table, and the adapter, ISO-TP
// and UDS layers'. The shared test main calls it before each test.
#pragma once

namespace tarvel_test {
void ResetAllGlobals();
// The adapter switch, ISO-TP link and UDS engine globals.
void ResetCommGlobals();
} // namespace tarvel_test
