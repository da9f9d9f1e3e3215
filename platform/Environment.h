// Reading and setting variables of the process environment (a library
// loaded later reads its settings from there).
#pragma once

#include <string>

namespace tarvel {

// Empty when the variable is not set.
std::string GetEnvironmentValue(const std::string& name);
// An empty value removes the variable.
void SetEnvironmentValue(const std::string& name, const std::string& value);

} // namespace tarvel
