// Resource names come from users and from find lists; any bytes must give a name or an error,
// and a parsed name must print to text that parses back to the same name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "resource_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zc::visa::ParsedResourceName parsed = zc::visa::ParseResourceName(text);
  if (!parsed.name) {
    if (parsed.error.empty()) std::abort();
    return 0;
  }
  const std::string canonical = parsed.name->Canonical();
  const zc::visa::ParsedResourceName again = zc::visa::ParseResourceName(canonical);
  if (!again.name) {
    std::fprintf(stderr, "canonical '%s' does not parse: %s\n", canonical.c_str(), again.error.c_str());
    std::abort();
  }
  if (again.name->Canonical() != canonical) {
    std::fprintf(stderr, "canonical '%s' prints as '%s'\n", canonical.c_str(),
                 again.name->Canonical().c_str());
    std::abort();
  }
  return 0;
}
