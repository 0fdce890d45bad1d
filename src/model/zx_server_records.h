// ZxServerRecord: the records of the supervisor's and workers' own traffic
// (hosts, host lists, assignments, history, logs, data tables, reports,
// duties, configs, options, properties, requests, access entries, files,
// variable ids, operation id lists, posts, subscriptions, orders, intros,
// syncs, supervisor entries, host statistics, administrative orders and
// results, with their lists and hashes).
//
// No operation of the client sends these records or reads their fields, but
// a peer may put any of them into a message, so the class registry must be
// able to recreate them. One class serves them all: it answers the class
// number and type name it was made with, and it keeps its binary fields
// as they came, in order (integers, characters, flags, strings, and nested
// objects kept the same way, whatever their class), so that re-encoding a
// received record gives back the same fields. The text form carries no
// fields: the text writers write none and the text readers read none.
//
// Ownership: a record owns its kept fields and their nested records.
// Copying copies every kept field.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxServerRecord : public ZxPack {
 public:
  // A record of the given class; `typeName` must be a static string.
  ZxServerRecord(int classNumber, const char* typeName);
  ZxServerRecord(const ZxServerRecord& other);
  ZxServerRecord& operator=(const ZxServerRecord& other);
  ~ZxServerRecord() override;

  // True for the class numbers of the supervisor's and workers' records
  // that messages may carry (the ones the class registry creates).
  static bool isServerRecord(int classNumber);
  // A new, empty record of that class (owned by the caller), or null when
  // the number is not one of them.
  static ZxServerRecord* create(int classNumber);
  // The type name of a server record class; "pack" for any other number.
  static const char* nameOf(int classNumber);

  int typeId() const override { return classNumber_; }
  void encodeFields() override;
  void decodeField() override;
  const char* typeName() const override { return typeName_; }
  void encodeTextFields() override {}
  void decodeTextFields() override {}

  // The kept fields, in the order they were read or added.
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  // The first string field among them, or null (a redirect names its
  // supervisor host in the first field of its record).
  const ZxString* firstString() const;

  // Adds a field to be encoded (for building records in tests and tools).
  void addInt(int id, int32_t value);
  void addString(int id, const ZxString& value);
  // Takes ownership of `object` (null does nothing).
  void addObject(int id, ZxServerRecord* object);

 private:
  struct Field {
    int id = 0;
    int type = 0;
    int32_t number = 0;  // integer, character and flag values
    ZxString text;       // string values
    std::unique_ptr<ZxServerRecord> object;
  };
  void copyFields(const ZxServerRecord& other);

  int classNumber_;
  const char* typeName_;
  std::vector<Field> fields_;
};
