// ZxField: a field name, or in a filter one value to compare with, with an
// optional operator character (class 22, "field"); ZxFieldList (class 23,
// "field_list"), the packable list of fields.
//
// A field owns its name by value. The list owns its fields.
#pragma once

#include "model/zx_list.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxField : public ZxPack {
 public:
  // The operator characters a text may start with: "~", "=", ">", "<",
  // "%" and "*".
  static bool isOperator(char c);

  // No name and no operator (sign 0); decoding fills both.
  ZxField() = default;
  // fromOperatorText(text).
  explicit ZxField(const ZxString& text) { fromOperatorText(text); }
  ZxField(const ZxString& name, char sign) : name_(name), sign_(sign) {}
  ZxField(const ZxField&) = default;
  ZxField& operator=(const ZxField&) = default;
  ~ZxField() override = default;

  int typeId() const override { return 22; }
  const char* typeName() const override { return "field"; }

  // A leading operator character becomes the sign and the rest the name;
  // without one the sign is 0 and the whole text is the name.
  void fromOperatorText(const ZxString& text);

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  char sign() const { return sign_; }
  void setSign(char v) { sign_ = v; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxString name_;
  char sign_ = 0;
};

class ZxFieldList : public ZxList<ZxField> {
 public:
  int typeId() const override { return 23; }
  const char* typeName() const override { return "field_list"; }
};
