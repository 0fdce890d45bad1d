// Callbacks and events: defaults, language names, trigger string expansion
// and both encoded forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/zx_callback.h"
#include "model/zx_event.h"
#include "model/zx_flags.h"
#include "zx_record_checks.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

TEST(Callback, Defaults) {
  ZxCallback c;
  EXPECT_EQ(c.id(), -1);
  EXPECT_EQ(c.pid(), -1);
  EXPECT_EQ(c.maximum(), -1);
  EXPECT_EQ(c.count(), 0);
  EXPECT_EQ(str(c.ready()), "0");
  EXPECT_EQ(str(c.code()), "");
  EXPECT_EQ(str(c.triggers()), "");
  EXPECT_EQ(c.language(), CallbackLanguage::kUnknown);
  EXPECT_EQ(c.lastUpdate().value(), 0);
  EXPECT_EQ(c.pidMod(7), -1);
}

TEST(Callback, LanguageNames) {
  struct Case {
    const char* name;
    int value;
    const char* back;
  };
  const Case cases[] = {
      {"zexa", 4, "zexa"},    {"perl", 1, "perl"}, {"python", 2, "python"}, {"mail", 7, "mail"},
      {"Perl", 5, "unknown"}, {"", 5, "unknown"},  {"cobol", 5, "unknown"}, {"dependency", 8, "dependency"},
  };
  for (const Case& c : cases) {
    ZxCallback cb;
    cb.setLanguage(1);
    cb.setLanguageText(c.name);
    EXPECT_EQ(cb.language(), c.value) << c.name;
    EXPECT_EQ(str(cb.languageText()), c.back) << c.name;
  }
}

std::string expand(const char* triggers) {
  ZxCallback c;
  c.setTriggers(triggers);
  ZxEventList events;
  c.events(events);
  std::string out;
  for (int i = 0; i < events.count(); ++i) {
    if (i) out += "|";
    out += str(events.get(i)->triggerText());
  }
  return out;
}

TEST(Callback, EventsOfTheTriggerString) {
  struct Case {
    const char* triggers;
    const char* events;  // trigger texts of the events, joined with "|"
  };
  const Case cases[] = {
      {"a-job-self a-job-self", "a-job-self"},
      {"timeout-subjob-self-*", "timeout-subjob-self-*"},
      {"a-job-self (b-work-x-1)", "a-job-self|b-work-x-1"},
      {"(a-job-self and b-job-self) or not x-nothing-1", "a-job-self|b-job-self"},
      {"b-job-self a-job-self b-job-self\ta-job-self", "b-job-self|a-job-self"},
      {"\"done-work-self-my frame\" 'done-work-self-my frame'", "done-work-self-my frame"},
      {"a-job-self\na-job-selfish", "a-job-self|a-job-selfish"},
      {"and or ( )", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(expand(c.triggers), c.events) << c.triggers;
}

TEST(Callback, EventsAppendToTheList) {
  ZxCallback c;
  c.setTriggers("a-job-self");
  ZxEventList events;
  events.append(new ZxEvent(ZxString("z-global")));
  c.events(events);
  ASSERT_EQ(events.count(), 2);
  EXPECT_EQ(str(events.get(1)->name()), "a");
}

TEST(Callback, ManyDistinctTriggersEachGiveOneEvent) {
  // Thousands of keys, among them many whose hashes collide ("ab" and "ha"
  // hash alike, and so do their concatenations).
  std::string triggers;
  int distinct = 0;
  for (int i = 0; i < 4096; ++i) {
    std::string key;
    for (int bit = 0; bit < 12; ++bit) key += (i >> bit & 1) ? "ab" : "ha";
    triggers += key + "-job-self " + key + "-job-self ";
    ++distinct;
  }
  ZxCallback c;
  c.setTriggers(ZxString(triggers.data(), static_cast<int>(triggers.size())));
  ZxEventList events;
  c.events(events);
  EXPECT_EQ(events.count(), distinct);
}

TEST(Callback, HostileTriggerStrings) {
  struct Case {
    std::string triggers;
    int events;
  };
  const std::string parens(1 << 20, '(');
  const Case cases[] = {
      {parens + "a-job-self" + parens, 1},
      {"a-job-self \"" + std::string(1 << 20, 'x'), 1},  // unterminated quote
      {"'" + std::string(1 << 20, '\\'), 0},
      {std::string(1 << 20, '-') + " b-job-self", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    ZxCallback cb;
    cb.setTriggers(ZxString(c.triggers.data(), static_cast<int>(c.triggers.size())));
    ZxEventList events;
    cb.events(events);
    EXPECT_EQ(events.count(), c.events);
  }
}

ZxCallback sampleCallback() {
  ZxCallback c;
  c.setId(3);
  c.setPid(1200);
  c.setCode("fail-subjob-self & more");
  c.setTriggers("timeout-subjob-self-*");
  c.setLanguage(CallbackLanguage::kZexa);
  c.setMaximum(2);
  c.setCount(1);
  c.setUser("ann");
  c.setReady("1");
  c.setLastUpdate(ZxTime(86400));
  return c;
}

TEST(Callback, EncodedFormsRoundTrip) {
  ZxCallback c = sampleCallback();
  ZxCallback fromBytes;
  zxtest::expectBinaryRoundTrip(c, fromBytes);
  EXPECT_EQ(str(fromBytes.code()), "fail-subjob-self & more");
  EXPECT_EQ(fromBytes.pid(), 1200);
  EXPECT_EQ(fromBytes.lastUpdate().value(), 86400);
  ZxCallback fromText;
  zxtest::expectTextRoundTrip(c, fromText);
  EXPECT_EQ(fromText.maximum(), 2);
  EXPECT_EQ(str(fromText.ready()), "1");
  zxtest::expectPrefixesDecode(c);

  ZxCallbackList list;
  list.append(new ZxCallback(c));
  list.append(new ZxCallback());
  ZxCallbackList listBack;
  zxtest::expectBinaryRoundTrip(list, listBack);
  ASSERT_EQ(listBack.count(), 2);
  EXPECT_EQ(listBack.get(0)->id(), 3);
  EXPECT_EQ(listBack.get(1)->id(), -1);
  ZxCallbackList listText;
  zxtest::expectTextRoundTrip(list, listText);
}

TEST(Callback, BinaryFieldOrder) {
  ZxCallback c = sampleCallback();
  EXPECT_EQ(zxtest::fieldIds(zxtest::packed(c)), (std::vector<int>{1, 10, 3, 6, 2, 5, 4, 9, 8, 11}));
}

TEST(Event, EncodedFormsRoundTrip) {
  ZxEvent e(ZxString("tick-repeat-self-100-60"));
  e.setJobId(12);
  e.setSubId(4);
  e.setTextId("frame<1>&2");
  e.setExtra("x");
  e.setFlag(0x30);
  e.setCallback(2);
  e.setPid(12);
  e.setId(9);
  ZxEvent fromBytes;
  zxtest::expectBinaryRoundTrip(e, fromBytes);
  EXPECT_EQ(str(fromBytes.textId()), "frame<1>&2");
  EXPECT_EQ(fromBytes.interval(), 60);
  ZxEvent fromText;
  zxtest::expectTextRoundTrip(e, fromText);
  EXPECT_EQ(fromText.category(), EventCategory::kRepeat);
  EXPECT_EQ(str(fromText.textId()), "frame<1>&2");
  zxtest::expectPrefixesDecode(e);

  ZxEventList list;
  list.append(new ZxEvent(e));
  list.append(new ZxEvent(ZxString("a-job-self")));
  ZxEventList back;
  zxtest::expectBinaryRoundTrip(list, back);
  ASSERT_EQ(back.count(), 2);
  EXPECT_EQ(str(back.get(1)->triggerText()), "a-job-self");
  zxtest::expectPrefixesDecode(list);
}

}  // namespace
