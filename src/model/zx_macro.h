// ZxMacro (class 98, "macro"): named values and the expansion of templates
// that refer to them. A template is plain text in which "$NAME" or
// "$(NAME)" stands for the value named NAME.
//
// Binary form: field 1, the nested string hash of values. Text form: the
// element "value" holding that hash. The resolver is not encoded.
//
// Ownership: the macro owns its hash, which owns copies of every name and
// value. The resolver is a plain function pointer, copied with the macro.
#pragma once

#include "model/zx_string_hash.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxMacro : public ZxPack {
 public:
  // Asked for names that the hash does not hold; writes the value to `out`
  // and answers true when it has one.
  using Resolver = bool (*)(const ZxString& name, ZxString& out);

  ZxMacro() = default;
  ZxMacro(const ZxMacro&) = default;
  ZxMacro& operator=(const ZxMacro&) = default;
  ~ZxMacro() override = default;

  int typeId() const override { return 98; }
  void encodeFields() override { putObject(1, values_); }
  void decodeField() override { getObject(1, values_); }
  const char* typeName() const override { return "macro"; }
  void encodeTextFields() override { putTextObject("value", values_); }
  void decodeTextFields() override { getTextObject("value", values_); }

  // Adds or replaces one named value (names are case-sensitive).
  void setValue(const ZxString& name, const ZxString& value) { values_.insert(name, value); }
  // The value of `name`, or null; the macro keeps ownership.
  const ZxString* value(const ZxString& name) const { return values_.find(name); }
  int count() const { return values_.count(); }
  void clear() { values_.clear(); }
  const ZxStringHash& values() const { return values_; }

  void setResolver(Resolver r) { resolver_ = r; }
  Resolver resolver() const { return resolver_; }

  // The template with every placeholder replaced, in one pass from left to
  // right: "$(" takes the name up to the next ")" (or to the end of the
  // template), a bare "$" the longest run of letters, digits and "_" after
  // it (possibly empty). The value comes from the hash, else from the
  // resolver; a name with neither vanishes together with its "$".
  // Substituted text is never scanned again, so the work is linear in the
  // template and the text appended, whatever the values hold.
  ZxString expand(const ZxString& templ) const;

 private:
  ZxStringHash values_;
  Resolver resolver_ = nullptr;
};
