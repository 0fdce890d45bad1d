// ZxField: operator texts and encoded forms.
#include "model/zx_field.h"

bool ZxField::isOperator(char c) {
  return c == '~' || c == '=' || c == '>' || c == '<' || c == '%' || c == '*';
}

void ZxField::fromOperatorText(const ZxString& text) {
  if (!text.isEmpty() && isOperator(text.charAt(0))) {
    sign_ = text.charAt(0);
    name_.assign(text.c_str() + 1, text.length() - 1);
  } else {
    sign_ = 0;
    name_ = text;
  }
}

void ZxField::encodeFields() {
  putString(1, name_);
  putChar(2, sign_);
}

void ZxField::decodeField() {
  getString(1, name_);
  getChar(2, sign_);
}

void ZxField::encodeTextFields() {
  putTextString("name", name_);
  putTextChar("sign", sign_);
}

void ZxField::decodeTextFields() {
  getTextString("name", name_);
  getTextChar("sign", sign_);
}
