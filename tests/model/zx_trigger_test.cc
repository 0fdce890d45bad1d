// Trigger texts read and written, trigger validity, category bits and the
// trigger string tokeniser.
#include <gtest/gtest.h>

#include <string>

#include "model/zx_event.h"
#include "model/zx_flags.h"
#include "model/zx_trigger.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

TEST(TriggerText, ReadsEveryCategoryShape) {
  struct Case {
    const char* text;
    const char* name;
    int category;
    const char* label;
    int subId;
    const char* textId;
    int start;
    int interval;
  };
  // Defaults of an untouched event: sub_id -1, start 0, interval -1.
  const Case cases[] = {
      {"timeout-subjob-self-*", "timeout", EventCategory::kSubjob, "self", -2, "", 0, -1},
      {"done-subjob-7-3", "done", EventCategory::kSubjob, "7", 3, "", 0, -1},
      {"done-subjob-7", "done", EventCategory::kSubjob, "7", -2, "", 0, -1},
      {"n-subjob-self--1", "n", EventCategory::kSubjob, "self", -2, "", 0, -1},
      {"done-job-self", "done", EventCategory::kJob, "self", -1, "", 0, -1},
      {"done-job-self-extra-parts", "done", EventCategory::kJob, "self", -1, "", 0, -1},
      {"done-work-12-frame-0001", "done", EventCategory::kWork, "12", -1, "frame-0001", 0, -1},
      {"done-work-12", "done", EventCategory::kWork, "12", -1, "", 0, -1},
      {"done-work-12-", "done", EventCategory::kWork, "12", -1, "", 0, -1},
      {"set-variable-self-speed-x", "set", EventCategory::kVariable, "self", -1, "speed", 0, -1},
      {"gone-client-self", "gone", EventCategory::kClient, "self", -1, "", 0, -1},
      {"at-time-self-500", "at", EventCategory::kTime, "self", -1, "", 500, -1},
      {"at-time-self", "at", EventCategory::kTime, "self", -1, "", 0, -1},
      {"tick-repeat-self-100-60", "tick", EventCategory::kRepeat, "self", -1, "", 100, 60},
      {"tick-repeat-self-100", "tick", EventCategory::kRepeat, "self", -1, "", 100, 0},
      {"all-global", "all", EventCategory::kGlobal, "", -1, "", 0, -1},
      {"all-global-5-6", "all", EventCategory::kGlobal, "", -1, "", 0, -1},
      {"at-globaltime-100", "at", EventCategory::kGlobalTime, "", -1, "", 100, -1},
      {"tick-globalrepeat-100-60", "tick", EventCategory::kGlobalRepeat, "", -1, "", 100, 60},
      {"x-nothing-1", "x", EventCategory::kUnknown, "", -1, "", 0, -1},
      {"x-unknown-1-2", "x", EventCategory::kUnknown, "", -1, "", 0, -1},
      {"x-JOB-self", "x", EventCategory::kUnknown, "", -1, "", 0, -1},
      {"lonely", "lonely", EventCategory::kUnknown, "", -1, "", 0, -1},
      {"", "", EventCategory::kUnknown, "", -1, "", 0, -1},
      {"-job-", "", EventCategory::kJob, "", -1, "", 0, -1},
      {"x-host-h1-disk", "x", EventCategory::kUnknown, "", -1, "", 0, -1},
  };
  for (const Case& c : cases) {
    ZxEvent e{ZxString(c.text)};
    EXPECT_EQ(str(e.name()), c.name) << c.text;
    EXPECT_EQ(e.category(), c.category) << c.text;
    EXPECT_EQ(str(e.label()), c.label) << c.text;
    EXPECT_EQ(e.subId(), c.subId) << c.text;
    EXPECT_EQ(str(e.textId()), c.textId) << c.text;
    EXPECT_EQ(e.start(), c.start) << c.text;
    EXPECT_EQ(e.interval(), c.interval) << c.text;
    EXPECT_EQ(e.jobId(), -1) << c.text;
  }
}

TEST(TriggerText, LeavesFieldsTheCategoryDoesNotName) {
  ZxEvent e;
  e.setTextId("kept");
  e.setStart(9);
  e.setSubId(4);
  e.fromTriggerText("done-job-self");
  EXPECT_EQ(str(e.textId()), "kept");
  EXPECT_EQ(e.start(), 9);
  EXPECT_EQ(e.subId(), 4);
  EXPECT_EQ(str(e.label()), "self");
}

ZxEvent eventOf(int category, const char* name, const char* label, int jobId, int subId, const char* textId,
                int start, int interval) {
  ZxEvent e;
  e.setCategory(category);
  e.setName(name);
  e.setLabel(label);
  e.setJobId(jobId);
  e.setSubId(subId);
  e.setTextId(textId);
  e.setStart(start);
  e.setInterval(interval);
  return e;
}

TEST(TriggerText, WritesBothForms) {
  struct Case {
    ZxEvent event;
    const char* trigger;
    const char* jobTrigger;
  };
  const Case cases[] = {
      {eventOf(EventCategory::kJob, "done", "self", 42, -1, "", 0, -1), "done-job-self", "done-job-42"},
      {eventOf(EventCategory::kSubjob, "timeout", "self", 42, -2, "", 0, -1), "timeout-subjob-self-*",
       "timeout-subjob-42-*"},
      {eventOf(EventCategory::kSubjob, "n", "self", 42, 3, "", 0, -1), "n-subjob-self-3", "n-subjob-42-3"},
      {eventOf(EventCategory::kSubjob, "n", "self", 42, -1, "", 0, -1), "n-subjob-self--1", "n-subjob-42--1"},
      {eventOf(EventCategory::kWork, "done", "12", 12, -1, "frame-0001", 0, -1), "done-work-12-frame-0001",
       "done-work-12-frame-0001"},
      {eventOf(EventCategory::kVariable, "set", "self", 5, -1, "speed", 0, -1), "set-variable-self-speed",
       "set-"},
      {eventOf(EventCategory::kClient, "gone", "self", 5, -1, "", 0, -1), "gone-client-self",
       "gone-client-5"},
      {eventOf(EventCategory::kTime, "at", "self", 5, -1, "", 500, -1), "at-time-self-500", "at-"},
      {eventOf(EventCategory::kRepeat, "tick", "self", 5, -1, "", 100, 60), "tick-repeat-self-100-60",
       "tick-"},
      {eventOf(ZxEvent::kHostCategory, "up", "self", 5, -1, "h1", 0, -1), "up-host-self-h1", "up-"},
      {eventOf(EventCategory::kGlobal, "all", "self", 5, -1, "", 0, -1), "all-global", "all-"},
      {eventOf(EventCategory::kGlobalTime, "at", "", 5, -1, "", -7, -1), "at-globaltime--7", "at-"},
      {eventOf(EventCategory::kGlobalRepeat, "tick", "", 5, -1, "", 100, 60), "tick-globalrepeat-100-60",
       "tick-"},
      {eventOf(EventCategory::kUnknown, "x", "self", 5, -1, "t", 1, 2), "x-", "x-"},
      {eventOf(77, "x", "self", 5, -1, "t", 1, 2), "x-", "x-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trigger);
    EXPECT_EQ(str(c.event.triggerText()), c.trigger);
    EXPECT_EQ(str(c.event.jobTriggerText()), c.jobTrigger);
  }
}

TEST(TriggerText, ReadableTextsSurviveARoundTrip) {
  const char* texts[] = {"timeout-subjob-self-*",   "n-subjob-self-3",         "done-job-self",
                         "done-work-12-frame-0001", "set-variable-self-speed", "gone-client-self",
                         "at-time-self-500",        "tick-repeat-self-100-60", "all-global",
                         "at-globaltime-100",       "tick-globalrepeat-100-60"};
  for (const char* t : texts) EXPECT_EQ(str(ZxEvent(ZxString(t)).triggerText()), t);
}

TEST(TriggerText, Validity) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"timeout-subjob-self-*", true},
      {"a-job-self", true},
      {"a-globalrepeat", true},
      {"a-job", true},
      {"x-nothing-1", false},
      {"x-unknown-1", false},
      {"x-host-h1-disk", false},
      {"and", false},
      {"(", false},
      {"", false},
      {"-", false},
      {"job-self", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidTrigger(c.text), c.valid) << c.text;
}

TEST(EventRecord, CategoryBitsAndGlobal) {
  struct Case {
    int category;
    int bit;
    bool global;
  };
  const Case cases[] = {
      {0, 0x1, false},    {1, 0x2, false},     {2, 0x4, false},  {3, 0, false},
      {4, 0, false},      {5, 0x20, false},    {6, 0x40, false}, {8, 0x80, false},
      {16, 0x100, false}, {32, 0, false},      {127, 0, false},  {128, 0x400, true},
      {136, 0x800, true}, {152, 0x1000, true}, {200, 0, true},   {-1, 0, false},
  };
  for (const Case& c : cases) {
    ZxEvent e;
    e.setCategory(c.category);
    EXPECT_EQ(e.categoryBit(), c.bit) << c.category;
    EXPECT_EQ(e.isGlobal(), c.global) << c.category;
  }
}

TEST(EventRecord, ConstructorsAndDefaults) {
  ZxEvent d;
  EXPECT_EQ(d.category(), EventCategory::kUnknown);
  EXPECT_EQ(d.jobId(), -1);
  EXPECT_EQ(d.subId(), -1);
  EXPECT_EQ(d.start(), 0);
  EXPECT_EQ(d.interval(), -1);
  EXPECT_EQ(d.flag(), 0);
  EXPECT_EQ(d.callback(), -1);
  EXPECT_EQ(d.pid(), -1);
  EXPECT_EQ(d.id(), 0);

  ZxEvent job(7, ZxString("done"));
  EXPECT_EQ(job.category(), EventCategory::kJob);
  EXPECT_EQ(str(job.jobTriggerText()), "done-job-7");
  ZxEvent sub(7, 2, ZxString("done"));
  EXPECT_EQ(sub.category(), EventCategory::kSubjob);
  EXPECT_EQ(str(sub.jobTriggerText()), "done-subjob-7-2");
  ZxEvent work(7, ZxString("frame-1"), ZxString("done"));
  EXPECT_EQ(work.category(), EventCategory::kWork);
  EXPECT_EQ(str(work.jobTriggerText()), "done-work-7-frame-1");
}

TEST(EventRecord, PidModulo) {
  ZxEvent e;
  EXPECT_EQ(e.pidMod(10), -1);
  e.setPid(23);
  EXPECT_EQ(e.pidMod(10), 3);
  EXPECT_EQ(e.pidMod(0), -1);  // no division by zero
}

std::string joined(const ZxStringList& list) {
  std::string out;
  for (int i = 0; i < list.count(); ++i) {
    if (i) out += "|";
    out += str(*list.get(i));
  }
  return out;
}

TEST(TriggerString, Tokens) {
  struct Case {
    const char* text;
    const char* tokens;  // joined with "|"
  };
  const Case cases[] = {
      {"a-job-self (b-work-x-1)", "a-job-self|(|b-work-x-1|)"},
      {"  a\tb\r\nc  ", "a|b|c"},
      {"((a))", "(|(|a|)|)"},
      {"\"a-job-self b\" c", "a-job-self b|c"},
      {"'a \"q\" b'", "a \"q\" b"},
      {"\"a\\\"b\\\\c\"", "a\"b\\c"},
      {"\"unterminated a-job-self", "unterminated a-job-self"},
      {"\"ends in backslash\\", "ends in backslash"},
      {"x\"y z\"w", "x|y z|w"},
      {"\"\"", ""},
      {"", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) {
    ZxStringList tokens;
    splitTriggerString(c.text, tokens);
    EXPECT_EQ(joined(tokens), c.tokens) << c.text;
  }
}

TEST(TriggerString, HostileTextIsReadInOnePass) {
  // Megabytes of an unterminated quote and of backslashes: one token each,
  // read without a crash (the sanitizers watch the reads).
  std::string quoted = "\"" + std::string(2 << 20, 'q');
  ZxStringList tokens;
  splitTriggerString(ZxString(quoted.data(), static_cast<int>(quoted.size())), tokens);
  ASSERT_EQ(tokens.count(), 1);
  EXPECT_EQ(tokens.get(0)->length(), 2 << 20);

  std::string slashes = "'" + std::string(1 << 20, '\\');
  ZxStringList more;
  splitTriggerString(ZxString(slashes.data(), static_cast<int>(slashes.size())), more);
  ASSERT_EQ(more.count(), 1);
  EXPECT_EQ(more.get(0)->length(), (1 << 20) / 2);
}

}  // namespace
