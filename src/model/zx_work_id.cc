// ZxWorkId: id texts and encoded forms.
#include "model/zx_work_id.h"

ZxString ZxWorkId::idText() const {
  ZxString out;
  out.appendInt(id_);
  if (!name_.isEmpty()) out.append(':').append(name_);
  return out;
}

// The name is replaced rather than appended to, so that reading a text
// into a work id that already held a name gives the text's name.
void ZxWorkId::fromIdText(const ZxString& text) {
  const char* s = text.c_str();
  const int n = text.length();
  int colon = 0;
  while (colon < n && s[colon] != ':') ++colon;
  id_ = ZxString(s, colon).toInt();
  if (colon < n)
    name_.assign(s + colon + 1, n - colon - 1);
  else
    name_.clear();
}

void ZxWorkId::encodeFields() {
  putInt(1, id_);
  putString(2, name_);
  putInt(3, workId_);
}

void ZxWorkId::decodeField() {
  getInt(1, id_);
  getString(2, name_);
  getInt(3, workId_);
}

void ZxWorkId::encodeTextFields() {
  putTextInt("id", id_);
  putTextString("name", name_);
  putTextInt("work_id", workId_);
}

void ZxWorkId::decodeTextFields() {
  getTextInt("id", id_);
  getTextString("name", name_);
  getTextInt("work_id", workId_);
}
