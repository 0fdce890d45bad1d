// ZxJobId: text forms and encoding of job identifiers.
#include "model/zx_job_id.h"

void ZxJobId::appendTo(ZxString& out) const {
  out.appendInt(id_);
  if (subId_ == kAllSubjobs)
    out.append(".*");
  else if (subId_ >= 0)
    out.append('.').appendInt(subId_);
}

ZxString ZxJobId::idText() const {
  ZxString s;
  appendTo(s);
  return s;
}

void ZxJobId::fromIdText(const ZxString& text) {
  const char* s = text.c_str();
  int n = text.length();
  int dot = 0;
  while (dot < n && s[dot] != '.') ++dot;
  id_ = ZxString(s, dot).toInt();
  subId_ = kWholeJob;
  if (dot + 1 < n) {
    if (s[dot + 1] == '*')
      subId_ = kAllSubjobs;
    else
      subId_ = ZxString(s + dot + 1, n - dot - 1).toInt();
  }
}

int ZxJobId::idModulo(int n) const {
  if (n == 0 || n == -1) return 0;
  return id_ % n;
}

void ZxJobId::encodeFields() {
  putInt(1, id_);
  putInt(2, subId_);
}

void ZxJobId::decodeField() {
  getInt(1, id_);
  getInt(2, subId_);
}

void ZxJobId::encodeTextFields() {
  putTextInt("id", id_);
  putTextInt("sub_id", subId_);
}

void ZxJobId::decodeTextFields() {
  getTextInt("id", id_);
  getTextInt("sub_id", subId_);
}

std::ostream& operator<<(std::ostream& os, const ZxJobId& id) { return os << id.idText(); }
