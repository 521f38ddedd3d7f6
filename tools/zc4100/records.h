// zc4100 records: the View Record dialog's list, statistics and CSV export in the terminal.
#pragma once

#include <string>
#include <vector>

namespace zc::tool {

// The arguments after "records"; returns the exit code.
int Records(const std::vector<std::string>& args);

}  // namespace zc::tool
