// MString's numeric conversions.
#include <maya/MString.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

bool MString::isInt() const {
  if (s_.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s_.c_str(), &end, 10);
  return end && *end == '\0' && errno == 0 && v >= INT_MIN && v <= INT_MAX;
}

int MString::asInt() const { return isInt() ? static_cast<int>(std::strtoll(s_.c_str(), nullptr, 10)) : 0; }
