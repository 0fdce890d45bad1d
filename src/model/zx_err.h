// ZxErr (class 175, "err"): the error record of the client operations and
// the transport: a numeric code and named values, turned into a readable
// line by message(), which picks the template of the code and fills its
// placeholders ("$ERROR", "$VERSION", ...) from the values.
//
// Binary form: field 1 the code (int), field 2 the values (a nested
// ZxMacro). Text form: elements "number" and "values".
//
// Ownership: the record owns its values; copies copy the code and every
// named value.
#pragma once

#include "model/zx_macro.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxErr : public ZxPack {
 public:
  static constexpr int kClassNumber = 175;

  // Codes that the library itself sets.
  enum Code {
    kNone = 0,
    kReplyUnspecified = 2051,  // "unspecifed error": a refusal without an error record
    kReplyBlank = 2052,
    kReplyMismatch = 2053,  // reply content does not match its declared type
    kAccessDenied = 2054,
    kFreeText = 100000,  // "$ERROR": the text itself
    kGeneral = 100001
  };

  ZxErr() = default;
  explicit ZxErr(int code) : code_(code) {}
  ZxErr(const ZxErr&) = default;
  ZxErr& operator=(const ZxErr&) = default;
  ~ZxErr() override = default;

  int typeId() const override { return kClassNumber; }
  void encodeFields() override {
    putInt(1, code_);
    putObject(2, values_);
  }
  void decodeField() override {
    getInt(1, code_);
    getObject(2, values_);
  }
  const char* typeName() const override { return "err"; }
  void encodeTextFields() override {
    putTextInt("number", code_);
    putTextObject("values", values_);
  }
  void decodeTextFields() override {
    getTextInt("number", code_);
    getTextObject("values", values_);
  }

  int code() const { return code_; }
  void setCode(int code) { code_ = code; }
  // Adds or replaces one named value.
  void setValue(const ZxString& name, const ZxString& value) { values_.setValue(name, value); }
  // The named value, or null.
  const ZxString* value(const ZxString& name) const { return values_.value(name); }
  const ZxMacro& values() const { return values_; }
  ZxMacro& values() { return values_; }

  // The formatted line: the code's template expanded with the values.
  ZxString message() const;

  // The template of `code`; "general error" for a code without one.
  static const char* templateFor(int code);

 private:
  int code_ = kNone;
  ZxMacro values_;
};
