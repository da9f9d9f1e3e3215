// The debug trace: diagnostic texts that the user never sees. Lines go to a
// sink (stderr when TARVEL_TRACE is set, else nowhere); tests can capture them.
#pragma once

#include <functional>
#include <string>

namespace tarvel {

void TraceLog(const std::string& line);
// Replaces the sink; an empty function restores the default.
void SetTraceSink(std::function<void(const std::string&)> sink);

} // namespace tarvel
