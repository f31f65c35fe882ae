#include "platform/os/numeric.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>

namespace numeric {

std::optional<double> ParseEntryNumber(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  std::size_t last = text.find_last_not_of(" \t");
  std::string s = text.substr(first, last - first + 1);
  for (char& c : s) {
    if (c == ',') c = '.';
    const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!allowed) return std::nullopt;
  }
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

void SetupFloatingPoint() {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
#if defined(__GLIBC__)
  fedisableexcept(FE_ALL_EXCEPT);
#endif
}

}  // namespace numeric
