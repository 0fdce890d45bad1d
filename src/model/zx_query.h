// ZxQuery: a job query (class 24, "query"): the extra parts each returned
// job should carry (a field list, for example a field "subjobs") and the
// conditions every returned job meets (a filter list).
//
// The query owns both lists and their items.
#pragma once

#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "serial/zx_pack.h"

class ZxQuery : public ZxPack {
 public:
  ZxQuery() = default;
  ZxQuery(const ZxQuery&) = default;
  ZxQuery& operator=(const ZxQuery&) = default;
  ~ZxQuery() override = default;

  int typeId() const override { return 24; }
  const char* typeName() const override { return "query"; }

  ZxFieldList& fieldList() { return fieldList_; }
  const ZxFieldList& fieldList() const { return fieldList_; }
  ZxFilterList& filterList() { return filterList_; }
  const ZxFilterList& filterList() const { return filterList_; }

  // Both forms write the field list first.
  void encodeFields() override {
    putObject(2, fieldList_);
    putObject(1, filterList_);
  }
  void decodeField() override {
    getObject(2, fieldList_);
    getObject(1, filterList_);
  }
  void encodeTextFields() override {
    putTextObject("field_list", fieldList_);
    putTextObject("filter_list", filterList_);
  }
  void decodeTextFields() override {
    getTextObject("field_list", fieldList_);
    getTextObject("filter_list", filterList_);
  }

 private:
  ZxFieldList fieldList_;
  ZxFilterList filterList_;
};
