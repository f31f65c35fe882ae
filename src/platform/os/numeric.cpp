#include "platform/os/numeric.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace numeric {
namespace {
template <typename T>
T Saturate(double x, T fallback) {
  if (std::isnan(x)) return fallback;
  // The largest double below 2^63 (or 2^31) converts safely.
  constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
  constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
  if (x >= hi) return std::numeric_limits<T>::max();
  if (x <= lo) return std::numeric_limits<T>::min();
  return static_cast<T>(x);
}

double RoundHalfEven(double x) {
  double r = std::nearbyint(x);  // uses the current mode: we keep round-to-nearest
  if (std::fegetround() != FE_TONEAREST) {
    double f = std::floor(x);
    double d = x - f;
    if (d > 0.5) r = f + 1;
    else if (d < 0.5) r = f;
    else r = std::fmod(f, 2.0) == 0 ? f : f + 1;
  }
  return r;
}
}  // namespace

std::int64_t Round(double x, std::int64_t fallback) { return Saturate<std::int64_t>(RoundHalfEven(x), fallback); }
std::int64_t Trunc(double x, std::int64_t fallback) { return Saturate<std::int64_t>(std::trunc(x), fallback); }
std::int32_t Round32(double x, std::int32_t fallback) { return Saturate<std::int32_t>(RoundHalfEven(x), fallback); }
std::int32_t Trunc32(double x, std::int32_t fallback) { return Saturate<std::int32_t>(std::trunc(x), fallback); }

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
