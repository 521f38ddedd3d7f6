// Find expressions come from callers of viFindRsrc. The input is "expression\nname": any
// expression must compile or be refused with a reason, and matching must stay linear.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "find_expression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view expression = input.substr(0, newline);
  const std::string_view name =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  std::string error;
  const auto compiled = zc::visa::FindExpression::Compile(expression, &error);
  if (!compiled) {
    if (error.empty()) std::abort();
    return 0;
  }
  const bool matches = compiled->Matches(name);
  // A compiled expression holds no state between matches.
  if (compiled->Matches(name) != matches) std::abort();
  return 0;
}
