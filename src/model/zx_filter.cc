// ZxFilter: construction from value texts, makeFilter, encoded forms.
#include "model/zx_filter.h"
#include "util/zx_out_of_memory.h"

#include <new>

ZxFilter::ZxFilter(const ZxString& name, const ZxString& valueText) : name_(name) {
  if (ZxField* field = zxNew<ZxField>(valueText)) fields_.append(field);
}

ZxFilter::ZxFilter(const ZxString& name, char sign, const ZxString& valueText) : name_(name), sign_(sign) {
  if (ZxField* field = zxNew<ZxField>(valueText)) fields_.append(field);
}

ZxFilter* makeFilter(const ZxString& name, const ZxString& text) {
  if (text.isEmpty()) return nullptr;
  ZxFilter* filter = zxNew<ZxFilter>(name);
  if (!filter) return nullptr;
  const char* s = text.c_str();
  const int n = text.length();
  int start = 0;
  for (int i = 0; i <= n; ++i) {
    if (i < n && s[i] != '\t' && s[i] != ',' && s[i] != '\n') continue;
    if (i > start) {
      ZxField* field = zxNew<ZxField>(ZxString(s + start, i - start));
      if (field) filter->fields().append(field);
    }
    start = i + 1;
  }
  return filter;
}

void ZxFilter::encodeFields() {
  putString(1, name_);
  putBool(3, neg_);
  putObject(4, fields_);
  putChar(5, sign_);
}

void ZxFilter::decodeField() {
  getString(1, name_);
  getBool(3, neg_);
  getObject(4, fields_);
  getChar(5, sign_);
}

void ZxFilter::encodeTextFields() {
  putTextString("name", name_);
  putTextBool("neg", neg_);
  putTextObject("fields", fields_);
  putTextChar("sign", sign_);
}

void ZxFilter::decodeTextFields() {
  getTextString("name", name_);
  getTextBool("neg", neg_);
  getTextObject("fields", fields_);
  getTextChar("sign", sign_);
}
