// zc4100 measure: a front-panel run in the terminal.
#pragma once

#include <string>
#include <vector>

namespace zc::tool {

// The arguments after "measure"; returns the exit code.
int Measure(const std::vector<std::string>& args);

}  // namespace zc::tool
