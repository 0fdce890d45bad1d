// ZxMacAddress: normalisation of hardware address texts.
#include "model/zx_mac_address.h"

ZxString ZxMacAddress::normalised(const ZxString& text) {
  ZxString out;
  bool allZero = true;
  const char* p = text.c_str();
  const int n = text.length();
  int start = 0;
  for (int i = 0; i <= n; ++i) {
    if (i < n && p[i] != ':') continue;
    unsigned int byte = ZxString(p + start, i - start).hexByte();
    if (byte != 0) allZero = false;
    if (start > 0) out.append(':');
    out.appendHexByte(static_cast<int>(byte));
    start = i + 1;
  }
  if (allZero) out.clear();
  return out;
}

std::ostream& operator<<(std::ostream& os, const ZxMacAddress& address) {
  return os << address.displayText();
}
