// ZxMacro: template expansion.
#include "model/zx_macro.h"

namespace {
bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
}  // namespace

ZxString ZxMacro::expand(const ZxString& templ) const {
  ZxString out;
  const char* s = templ.c_str();
  const int n = templ.length();
  int i = 0;
  while (i < n) {
    // Copy the run of plain text up to the next "$" in one piece.
    int run = i;
    while (i < n && s[i] != '$') ++i;
    if (i > run) out.append(s + run, i - run);
    if (i >= n) break;
    ++i;  // the "$"
    int nameStart, nameEnd;
    if (i < n && s[i] == '(') {
      nameStart = ++i;
      while (i < n && s[i] != ')') ++i;
      nameEnd = i;
      if (i < n) ++i;  // the ")"
    } else {
      nameStart = i;
      while (i < n && isNameChar(s[i])) ++i;
      nameEnd = i;
    }
    ZxString name(s + nameStart, nameEnd - nameStart);
    if (const ZxString* v = values_.find(name)) {
      out.append(*v);
    } else if (resolver_) {
      ZxString resolved;
      if (resolver_(name, resolved)) out.append(resolved);
    }
  }
  return out;
}
