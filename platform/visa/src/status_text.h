// Readable descriptions of the statuses this library returns.
#pragma once

#include <string>

#include "visa.h"

namespace zc::visa {

// The description of a status, or nullptr for a value this library does not know.
const char* StatusText(ViStatus status);

// The status's name and description ("VI_ERROR_TMO: Timeout expired ..."), at most 255
// characters; empty for an unknown status.
std::string StatusDescription(ViStatus status);

}  // namespace zc::visa
