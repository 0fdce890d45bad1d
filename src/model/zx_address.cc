// ZxAddress: dotted text in and out.
#include "model/zx_address.h"

#include <cstdio>

bool ZxAddress::fromDottedText(const ZxString& text) {
  uint32_t numbers[4] = {0, 0, 0, 0};
  int count = 0;
  uint32_t current = 0;
  const char* s = text.c_str();
  for (int i = 0; i <= text.length(); ++i) {
    char c = i < text.length() ? s[i] : 0;
    if (i < text.length() && c >= '0' && c <= '9') {
      current = current * 10u + static_cast<uint32_t>(c - '0');
      continue;
    }
    if (count == 4) return false;
    numbers[count++] = current;
    current = 0;
  }
  setNumber(((numbers[0] & 0xFF) << 24) | ((numbers[1] & 0xFF) << 16) | ((numbers[2] & 0xFF) << 8) |
            (numbers[3] & 0xFF));
  return true;
}

ZxString ZxAddress::dottedText() const {
  uint32_t v = number();
  char text[20];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return ZxString(text);
}
