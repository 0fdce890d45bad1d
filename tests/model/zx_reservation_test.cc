// Tests of the expression tokenizer, the reservation text in both
// directions, and the reservation list and hash texts; also the resource
// record's form.
#include "model/zx_reservation.h"

#include <gtest/gtest.h>

#include <string>

#include "model/zx_resource.h"
#include "zx_record_checks.h"
#include "model/zx_string_list.h"

namespace {

std::string joined(const ZxStringList& tokens) {
  std::string out;
  for (int i = 0; i < tokens.count(); ++i) out += (i ? "^" : "") + std::string(tokens.get(i)->c_str());
  return out;
}

TEST(ZxTokenizeExpression, CutsTokens) {
  struct Case {
    const char* text;
    const char* tokens;  // joined with "^"
  } cases[] = {
      {"host.processors=2", "host.processors^=^2"},
      {"host.processors=2-4", "host.processors^=^2^-^4"},
      {" a \t\r\nb ", "a^b"},
      {"(a+b)*c/d:e?f", "(^a^+^b^)^*^c^/^d^:^e^?^f"},
      {"a<=b>=c==d<>e=<f", "a^<=^b^>=^c^==^d^<>^e^=<^f"},
      {"a<b>c=d", "a^<^b^>^c^=^d"},
      {"a!=b&&c||d", "a^!=^b^&&^c^||^d"},
      {"!a&b|c!!", "!^a^&^b^|^c^!^!"},
      {"x.y,z", "x.y,z"},  // "." and "," do not separate
      {"'a b'\"c=d\"", "a b^c=d"},
      {"\"a\\\"b\" 'it\\'s'", "a\"b^it's"},
      {"name\"q\"tail", "name^q^tail"},
      {"\"open", "open"},  // an unclosed quote runs to the end
      {"''", ""},          // an empty quoted run is one empty token
      {"", ""},
  };
  for (const Case& c : cases) {
    ZxStringList tokens;
    tokens.add("stale");
    zxTokenizeExpression(c.text, tokens);
    EXPECT_EQ(joined(tokens), c.tokens) << c.text;
  }
  ZxStringList tokens;
  zxTokenizeExpression("''", tokens);
  EXPECT_EQ(tokens.count(), 1);
}

TEST(ZxReservation, ReservationTexts) {
  struct Case {
    const char* text;
    int kind;
    const char* name;
    int count, maximum;
    const char* written;
  } cases[] = {
      {"host.processors=2", 2, "processors", 2, 0, "host.processors=2"},
      {"host.processors=1+", 2, "processors", 1, -1, "host.processors=1+"},
      {"host.processors=2*", 2, "processors", 2, -2, "host.processors=2*"},
      {"host.processors=2-4", 2, "processors", 2, 4, "host.processors=2-4"},
      {"host.processors=2-0", 2, "processors", 2, 0, "host.processors=2"},
      {"host.processors=all", 2, "processors", 1, -2, "host.processors=1*"},
      {"host.processors", 2, "processors", 1, 0, "host.processors=1"},
      {" host.memory = 512 ", 2, "memory", 512, 0, "host.memory=512"},
      {"global.seats=3", 3, "seats", 3, 0, "global.seats=3"},
      {"global.seats=3+", 3, "seats", 3, 0, "global.seats=3"},  // bounds are for hosts
      {"scoped.a=2", 4, "a", 2, 0, "scoped.a=2"},
      {"license.nuke=5", 5, "nuke", 5, 0, "license.nuke=5"},
      {"scopedlicense.b=6", 6, "b", 6, 0, "scopedlicense.b=6"},
      {"unlimited.x", 1, "x", 1, 0, "unlimited.x"},
      {"unlimited.x=9", 1, "x", 1, 0, "unlimited.x"},
      {"bogus.x=1", 0, "x", 1, 0, "unknown.xunknown"},
      {"host", 2, "", 1, 0, "host.=1"},
      {"host.a.b=2", 2, "a.b", 2, 0, "host.a.b=2"},
      {"Host.x=2", 0, "x", 1, 0, "unknown.xunknown"},  // kind names are exact
  };
  for (const Case& c : cases) {
    ZxReservation r(c.text);
    EXPECT_EQ(r.kind(), c.kind) << c.text;
    EXPECT_EQ(std::string(r.name().c_str()), c.name) << c.text;
    EXPECT_EQ(r.count(), c.count) << c.text;
    EXPECT_EQ(r.maximum(), c.maximum) << c.text;
    EXPECT_EQ(std::string(r.reservationText().c_str()), c.written) << c.text;
  }

  // Fields the text does not carry keep their values; an empty text changes nothing.
  ZxReservation r(ResourceKind::kHost, "processors", 8);
  r.setMaximum(3);
  r.fromReservationText("host.processors");
  EXPECT_EQ(r.count(), 8);
  EXPECT_EQ(r.maximum(), 3);
  r.fromReservationText("  ");
  EXPECT_EQ(r.reservationText(), "host.processors=8-3");
  EXPECT_EQ(r.key(), "host.processors");
  EXPECT_STREQ(ZxReservation(ZxString("x.y")).key().c_str(), "unknown.y");
}

TEST(ZxReservation, KindClasses) {
  struct Case {
    int kind;
    bool counted, hostOrScoped;
  } cases[] = {{0, false, false}, {1, false, false}, {2, false, true}, {3, true, false},
               {4, true, true},   {5, true, false},  {6, true, true},  {7, false, false}};
  for (const Case& c : cases) {
    ZxReservation r;
    r.setKind(c.kind);
    EXPECT_EQ(r.isCountedKind(), c.counted) << c.kind;
    EXPECT_EQ(r.isHostOrScopedKind(), c.hostOrScoped) << c.kind;
  }
  ZxReservation r;
  r.setKindText("license");
  EXPECT_EQ(r.kind(), 5);
  EXPECT_STREQ(r.kindText(), "license");
}

TEST(ZxReservation, ListAndHashTexts) {
  ZxReservationHash hash;
  hash.fromReservationText("host.processors=2,host.processors=4");
  ASSERT_EQ(hash.count(), 1);
  EXPECT_EQ(hash.find("host.processors")->count(), 4);
  EXPECT_EQ(hash.reservationText(), "host.processors=4");

  ZxReservationList list;
  list.fromReservationText("host.processors=2,host.processors=4");
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.get(0)->count(), 2);
  EXPECT_EQ(list.get(1)->count(), 4);
  EXPECT_EQ(list.reservationText(), "host.processors=2,host.processors=4");

  // Reading again replaces; empty items give unrecognised records.
  list.fromReservationText("global.seats=3, ,unlimited.x");
  EXPECT_EQ(list.reservationText(), "global.seats=3,unknown.unknown,unlimited.x");
  hash.fromReservationText("global.seats=3,license.a=1");
  EXPECT_EQ(hash.count(), 2);
  EXPECT_EQ(hash.find("license.a")->count(), 1);
  std::string text = hash.reservationText().c_str();
  EXPECT_TRUE(text == "global.seats=3,license.a=1" || text == "license.a=1,global.seats=3") << text;

  hash.fromReservationText("");
  EXPECT_EQ(hash.count(), 0);
  EXPECT_EQ(hash.reservationText(), "");
  list.fromReservationText("");
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.reservationText(), "");
}

TEST(ZxReservation, EncodedForms) {
  ZxReservation r("host.processors=2-4");
  std::string bytes = zxtest::packed(r);
  EXPECT_EQ(bytes, std::string("\0\0\0\1"
                               "\0\1\0\3\0\0\0\x0aprocessors"
                               "\0\2\0\1\0\0\0\2"
                               "\0\3\0\1\0\0\0\2"
                               "\0\4\0\1\0\0\0\4",
                               4 + 18 + 24));
  ZxReservation back;
  zxtest::expectBinaryRoundTrip(r, back);
  EXPECT_EQ(back, r);

  ZxReservationHash hash, hashBack;
  hash.fromReservationText("host.processors=2,global.seats=3");
  zxtest::expectBinaryRoundTrip(hash, hashBack);
  EXPECT_EQ(hashBack.find("global.seats")->count(), 3);

  ZxResource res, resBack;
  res.setName("seats");
  res.setTotal(10);
  res.setUsed(4);
  res.setKindText("global");
  zxtest::expectTextRoundTrip(res, resBack);
  EXPECT_EQ(resBack, res);
  ZxResourceHash resources;
  EXPECT_EQ(resources.typeId(), 67);
  EXPECT_EQ(ZxResourceList().typeId(), 11);
}

}  // namespace
