// Tests of the class registry (which numbers it creates, with which class
// number and type name, and the log line for the others) and of the
// supervisor's own records, which keep their binary fields as they came.
#include "message/zx_class_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "model/zx_server_records.h"
#include "serial/zx_log_capture.h"

namespace {

// The classes a message content may hold, with their type names.
const std::map<int, std::string>& creatableClasses() {
  static const std::map<int, std::string> classes = {
      {1, "job"},
      {4, "subjob"},
      {5, "job_list"},
      {9, "host"},
      {11, "resource_list"},
      {12, "host_list"},
      {14, "work"},
      {15, "work_list"},
      {16, "event"},
      {17, "event_list"},
      {18, "job_id_list"},
      {19, "job_id"},
      {21, "filter_list"},
      {24, "query"},
      {25, "assignment"},
      {26, "assignment_list"},
      {28, "reservation_list"},
      {30, "command"},
      {32, "status_tally"},
      {33, "time"},
      {34, "history"},
      {35, "history_list"},
      {36, "log"},
      {37, "log_list"},
      {38, "data_table"},
      {39, "data_table_list"},
      {43, "report"},
      {45, "duty_list"},
      {47, "callback_list"},
      {48, "modify_command"},
      {50, "config"},
      {51, "config_list"},
      {52, "error"},
      {54, "option_list"},
      {55, "string_list"},
      {56, "string_hash"},
      {59, "work_id"},
      {60, "work_id_list"},
      {62, "domain"},
      {63, "host_name"},
      {64, "host_name_list"},
      {67, "resource_hash"},
      {69, "bump_command"},
      {91, "property_list"},
      {92, "property_hash"},
      {93, "request"},
      {94, "request_list"},
      {95, "access"},
      {96, "access_list"},
      {105, "file"},
      {119, "file_list"},
      {120, "variable"},
      {121, "variable_list"},
      {130, "variable_id"},
      {132, "operation_id_list"},
      {133, "post"},
      {134, "post_list"},
      {152, "subscription"},
      {153, "subscription_list"},
      {155, "macaddress"},
      {169, "order"},
      {170, "intro"},
      {171, "sync"},
      {172, "supe"},
      {173, "supe_list"},
      {175, "err"},
      {176, "int_hash"},
      {181, "host_stats"},
      {188, "result"},
      {189, "admin_order"},
      {190, "admin_result"},
      {197, "callback_id"},
      {198, "callback_id_list"},
  };
  return classes;
}

TEST(ZxClassRegistry, CreatesOnlyTheContentClassesUnderTheirOwnNumberAndName) {
  const std::vector<int> numbers = registeredClassNumbers();
  ASSERT_FALSE(numbers.empty());
  std::set<int> seen;
  for (int n : numbers) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(seen.insert(n).second) << "registered twice";
    auto it = creatableClasses().find(n);
    ASSERT_NE(it, creatableClasses().end()) << "not a content class";
    EXPECT_TRUE(isRegisteredClass(n));
    std::unique_ptr<ZxPack> object(createObject(n));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->typeId(), n);
    EXPECT_EQ(std::string(object->typeName()), it->second);
  }
}

TEST(ZxClassRegistry, AnswersNullAndLogsForEveryOtherNumber) {
  // The numbers of the system's classes that never travel as content, the
  // base class, non-packable classes, and numbers nobody uses.
  const int others[] = {0,   -1,  -7,  2,   3,   6,   7,   8,   10,  13,   20,    22,        23,  27,
                        29,  31,  40,  42,  44,  46,  49,  53,  57,  65,   66,    68,        70,  71,
                        72,  74,  75,  85,  90,  98,  101, 102, 111, 113,  114,   115,       122, 124,
                        131, 154, 174, 180, 182, 183, 186, 187, 199, 1000, 65536, 2147483647};
  for (int n : others) {
    SCOPED_TRACE(n);
    ZxLogCapture log;
    EXPECT_FALSE(isRegisteredClass(n));
    EXPECT_EQ(createObject(n), nullptr);
    EXPECT_EQ(log.text(), "trying to decode unregistered class: " + std::to_string(n) + "\n");
  }
  // Everything up to 255 that is not a content class is refused as well.
  for (int n = 0; n < 256; ++n) {
    if (!creatableClasses().count(n)) {
      EXPECT_FALSE(isRegisteredClass(n)) << n;
    }
  }
}

TEST(ZxServerRecord, KeepsItsFieldsAndEncodesThemBack) {
  // A host record as a peer might send it: a name, a count, a flag, a
  // character, a nested list holding a nested record, and an unknown field
  // type that ends the record.
  std::unique_ptr<ZxServerRecord> host(ZxServerRecord::create(9));
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->typeName(), "host");
  host->addString(1, "render07");
  host->addInt(2, -5);
  ZxServerRecord* resources = new ZxServerRecord(11, "resource_list");
  ZxServerRecord* resource = new ZxServerRecord(10, "resource");
  resource->addString(1, "cpu");
  resources->addInt(1, 1);
  resources->addObject(10, resource);
  host->addObject(3, resources);
  host->addString(4, "second");
  ASSERT_GT(host->pack(), 4);
  const std::string bytes(host->buffer(), host->used());

  ZxServerRecord back(9, "host");
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(back.fieldCount(), 4);
  ASSERT_NE(back.firstString(), nullptr);
  EXPECT_EQ(*back.firstString(), "render07");
  ASSERT_GT(back.pack(), 4);
  EXPECT_EQ(std::string(back.buffer(), back.used()), bytes);

  // Decoding again replaces what was kept; copies are deep.
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(back.fieldCount(), 4);
  ZxServerRecord copy(back);
  back.unpack("\0\0\0\1\0\1\0\3\0\0\0\0", 12);
  EXPECT_EQ(back.fieldCount(), 1);
  ASSERT_GT(copy.pack(), 4);
  EXPECT_EQ(std::string(copy.buffer(), copy.used()), bytes);

  // Characters and flags are kept too; an unknown type code ends the record.
  const unsigned char withScalars[] = {0, 0, 0, 1, 0, 5, 0, 2, 'x', 0, 6, 0, 6, 1, 0, 7, 0, 5, 9, 9, 9, 9};
  ZxServerRecord scalars(43, "report");
  ASSERT_EQ(scalars.unpack(withScalars, sizeof withScalars), ZxPack::kOk);
  EXPECT_EQ(scalars.fieldCount(), 2);
  ASSERT_EQ(scalars.pack(), 14);
  EXPECT_EQ(std::string(scalars.buffer(), 14), std::string(reinterpret_cast<const char*>(withScalars), 14));
}

TEST(ZxServerRecord, DamagedInputKeepsWhatCameBeforeIt) {
  ZxServerRecord host(9, "host");
  host.addString(1, "a");
  ZxServerRecord* inner = new ZxServerRecord(12, "host_list");
  inner->addInt(1, 3);
  host.addObject(2, inner);
  host.addInt(3, 4);
  ASSERT_GT(host.pack(), 4);
  const std::string bytes(host.buffer(), host.used());
  // Every truncated prefix decodes without harm and keeps only whole fields.
  for (size_t n = 0; n <= bytes.size(); ++n) {
    ZxServerRecord back(9, "host");
    back.unpack(bytes.data(), static_cast<int>(n));
    EXPECT_LE(back.fieldCount(), 3) << n;
    if (n < bytes.size()) {
      EXPECT_LT(back.fieldCount(), 3) << n;
    } else {
      EXPECT_EQ(back.fieldCount(), 3);
    }
  }
}

TEST(ZxServerRecord, NestingIsBoundedByTheDecoder) {
  // Nested records 300 deep: each level is a field 1 of type 4 whose body
  // is the next level. Decoding follows them up to the nesting bound and
  // drops what lies deeper, without exhausting the stack.
  const int levels = 300;
  std::string body;  // innermost first
  for (int i = 0; i < levels; ++i) {
    std::string field = {0, 1, 0, 4, 0, 0, 0, 9};
    uint32_t n = static_cast<uint32_t>(body.size());
    field += static_cast<char>(n >> 24);
    field += static_cast<char>(n >> 16);
    field += static_cast<char>(n >> 8);
    field += static_cast<char>(n);
    body = field + body;
  }
  std::string bytes = std::string("\0\0\0\1", 4) + body;
  ZxServerRecord host(9, "host");
  ASSERT_EQ(host.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  ASSERT_GT(host.pack(), 4);
  // The re-encoded record holds as many levels as were followed.
  int depth = 0;
  for (size_t i = 4; i + 12 <= static_cast<size_t>(host.used()); i += 12) ++depth;
  EXPECT_EQ(host.used(), 4 + 12 * depth);
  EXPECT_EQ(depth, ZxPack::kMaxNesting);
  ZxServerRecord copy(host);  // copying and destroying stay within the bound too
  EXPECT_EQ(copy.fieldCount(), 1);
}

}  // namespace
