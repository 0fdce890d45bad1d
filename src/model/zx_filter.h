// ZxFilter: one condition of a query or command (class 20, "filter"): the
// job field it tests, an operator character, a negation flag and the values
// to compare with; ZxFilterList (class 21, "filter_list"); makeFilter(),
// which builds a filter from a text of values.
//
// A filter owns its name and its field list (and the fields in it). The
// list owns its filters.
#pragma once

#include "model/zx_field.h"
#include "model/zx_list.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxFilter : public ZxPack {
 public:
  // Name "", not negated, sign "=", no values.
  ZxFilter() = default;
  explicit ZxFilter(const ZxString& name) : name_(name) {}
  // Sign "=" and one value read from `valueText` with fromOperatorText.
  ZxFilter(const ZxString& name, const ZxString& valueText);
  // The given sign and one value read from `valueText`.
  ZxFilter(const ZxString& name, char sign, const ZxString& valueText);
  ZxFilter(const ZxFilter&) = default;
  ZxFilter& operator=(const ZxFilter&) = default;
  ~ZxFilter() override = default;

  int typeId() const override { return 20; }
  const char* typeName() const override { return "filter"; }

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  bool neg() const { return neg_; }
  void setNeg(bool v) { neg_ = v; }
  char sign() const { return sign_; }
  void setSign(char v) { sign_ = v; }
  // The values; append ZxField items to add values.
  ZxFieldList& fields() { return fields_; }
  const ZxFieldList& fields() const { return fields_; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxString name_;
  bool neg_ = false;
  ZxFieldList fields_;
  char sign_ = '=';
};

class ZxFilterList : public ZxList<ZxFilter> {
 public:
  int typeId() const override { return 21; }
  const char* typeName() const override { return "filter_list"; }
};

// A new filter (owned by the caller) named `name`, sign "=", not negated,
// with one value per piece of `text`: tabs, commas and line feeds separate
// the pieces, empty pieces are skipped, blanks belong to the pieces, and a
// piece's leading operator character becomes that value's sign. Null when
// `text` is empty (or memory runs out).
ZxFilter* makeFilter(const ZxString& name, const ZxString& text);
