// ZxServerRecord: the class table of the supervisor's and workers' records,
// and the keeping of their fields.
#include "model/zx_server_records.h"
#include "util/zx_out_of_memory.h"

#include <new>
#include <utility>

namespace {
struct ServerClass {
  int number;
  const char* name;
};

// Sorted by class number.
constexpr ServerClass kServerClasses[] = {
    {9, "host"},
    {12, "host_list"},
    {25, "assignment"},
    {26, "assignment_list"},
    {34, "history"},
    {35, "history_list"},
    {36, "log"},
    {37, "log_list"},
    {38, "data_table"},
    {39, "data_table_list"},
    {43, "report"},
    {45, "duty_list"},
    {50, "config"},
    {51, "config_list"},
    {54, "option_list"},
    {91, "property_list"},
    {92, "property_hash"},
    {93, "request"},
    {94, "request_list"},
    {95, "access"},
    {96, "access_list"},
    {105, "file"},
    {119, "file_list"},
    {130, "variable_id"},
    {132, "operation_id_list"},
    {133, "post"},
    {134, "post_list"},
    {152, "subscription"},
    {153, "subscription_list"},
    {169, "order"},
    {170, "intro"},
    {171, "sync"},
    {172, "supe"},
    {173, "supe_list"},
    {181, "host_stats"},
    {189, "admin_order"},
    {190, "admin_result"},
};

const ServerClass* findClass(int number) {
  for (const ServerClass& c : kServerClasses)
    if (c.number == number) return &c;
  return nullptr;
}
}  // namespace

ZxServerRecord::ZxServerRecord(int classNumber, const char* typeName)
    : classNumber_(classNumber), typeName_(typeName ? typeName : "pack") {}

ZxServerRecord::ZxServerRecord(const ZxServerRecord& other)
    : ZxPack(other), classNumber_(other.classNumber_), typeName_(other.typeName_) {
  copyFields(other);
}

ZxServerRecord& ZxServerRecord::operator=(const ZxServerRecord& other) {
  if (this == &other) return *this;
  classNumber_ = other.classNumber_;
  typeName_ = other.typeName_;
  fields_.clear();
  copyFields(other);
  return *this;
}

ZxServerRecord::~ZxServerRecord() = default;

bool ZxServerRecord::isServerRecord(int classNumber) { return findClass(classNumber) != nullptr; }

ZxServerRecord* ZxServerRecord::create(int classNumber) {
  const ServerClass* c = findClass(classNumber);
  return c ? zxNew<ZxServerRecord>(c->number, c->name) : nullptr;
}

const char* ZxServerRecord::nameOf(int classNumber) {
  const ServerClass* c = findClass(classNumber);
  return c ? c->name : "pack";
}

// Nested records are copied one level per call; their depth is bounded by
// the decoder's nesting bound, which is how they came into being.
void ZxServerRecord::copyFields(const ZxServerRecord& other) {
  fields_.reserve(other.fields_.size());
  for (const Field& f : other.fields_) {
    Field copy;
    copy.id = f.id;
    copy.type = f.type;
    copy.number = f.number;
    copy.text = f.text;
    if (f.object) {
      copy.object.reset(zxNew<ZxServerRecord>(*f.object));
      if (!copy.object) continue;
    }
    fields_.push_back(std::move(copy));
  }
}

void ZxServerRecord::encodeFields() {
  for (Field& f : fields_) {
    switch (f.type) {
      case kTypeInt:
        putInt(f.id, f.number);
        break;
      case kTypeChar:
        putChar(f.id, static_cast<char>(f.number));
        break;
      case kTypeBool:
        putBool(f.id, f.number != 0);
        break;
      case kTypeString:
        putString(f.id, f.text);
        break;
      case kTypeObject:
        if (f.object) putObject(f.id, *f.object);
        break;
      default:
        break;
    }
  }
}

void ZxServerRecord::decodeField() {
  // A new decoding loop over this record replaces what it kept before.
  if (decodeState_ == 0) {
    fields_.clear();
    decodeState_ = 1;
  }
  Field f;
  f.id = fieldId();
  f.type = fieldType();
  switch (f.type) {
    case kTypeInt: {
      int v = 0;
      getInt(f.id, v);
      f.number = v;
      break;
    }
    case kTypeChar: {
      char c = 0;
      getChar(f.id, c);
      f.number = static_cast<unsigned char>(c);
      break;
    }
    case kTypeBool: {
      bool b = false;
      getBool(f.id, b);
      f.number = b ? 1 : 0;
      break;
    }
    case kTypeString:
      getString(f.id, f.text);
      break;
    case kTypeObject: {
      // Any class is kept: the nested record takes the class number it came with.
      int32_t classNumber = 0, n = 0;
      if (!takeRawInt(classNumber) || !takeRawInt(n)) return;
      std::unique_ptr<ZxServerRecord> child(zxNew<ZxServerRecord>(classNumber, nameOf(classNumber)));
      if (!child) return discardRest();
      if (!decodeNested(*child, n)) return;
      f.object = std::move(child);
      break;
    }
    default:
      return;  // an unknown type code: the decoding loop ends the record
  }
  if (fieldTaken()) fields_.push_back(std::move(f));
}

const ZxString* ZxServerRecord::firstString() const {
  for (const Field& f : fields_)
    if (f.type == kTypeString) return &f.text;
  return nullptr;
}

void ZxServerRecord::addInt(int id, int32_t value) {
  Field f;
  f.id = id;
  f.type = kTypeInt;
  f.number = value;
  fields_.push_back(std::move(f));
}

void ZxServerRecord::addString(int id, const ZxString& value) {
  Field f;
  f.id = id;
  f.type = kTypeString;
  f.text = value;
  fields_.push_back(std::move(f));
}

void ZxServerRecord::addObject(int id, ZxServerRecord* object) {
  if (!object) return;
  Field f;
  f.id = id;
  f.type = kTypeObject;
  f.object.reset(object);
  fields_.push_back(std::move(f));
}
