// ZxVariable: the key text in both directions.
#include "model/zx_variable.h"

ZxString ZxVariable::keyText() const {
  ZxString text;
  if (cls_ != VariableScope::kGlobal) {
    text.appendInt(pid_);
    text.append('-');
  }
  text.append(scopeText());
  text.append('.');
  text.append(name_);
  return text;
}

void ZxVariable::fromKeyText(const ZxString& text) {
  const char* p = text.c_str();
  const int n = text.length();
  // A leading "-" belongs to a negative job number ("-1-job.frame", the key
  // of a variable whose job is not yet numbered), so the separator search
  // starts after it.
  int sep = (n > 0 && p[0] == '-') ? 1 : 0;
  while (sep < n && p[sep] != '-' && p[sep] != '.') ++sep;
  ZxString head(p, sep);
  int scopeStart = 0, scopeEnd = sep;
  if (head.isInteger()) {
    pid_ = head.toInt();
    scopeStart = sep < n ? sep + 1 : n;
    scopeEnd = scopeStart;
    while (scopeEnd < n && p[scopeEnd] != '.') ++scopeEnd;
  }
  setScopeText(ZxString(p + scopeStart, scopeEnd - scopeStart));
  const int nameStart = scopeEnd < n ? scopeEnd + 1 : n;
  name_.assign(p + nameStart, n - nameStart);
}

std::ostream& operator<<(std::ostream& os, const ZxVariable& variable) { return os << variable.value(); }
