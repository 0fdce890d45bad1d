// Fuzz target: the trigger text reader (ZxEvent::fromTriggerText) and the
// trigger string tokeniser.
// Property: the triggerText() of a parsed event parses back to the same
// event (category, label, subjob, text id, name, start and interval).
#include "fuzz_support.h"
#include "model/zx_event.h"
#include "model/zx_flags.h"
#include "model/zx_trigger.h"
#include "model/zx_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  ZxEvent event;
  event.fromTriggerText(input);
  ZxString written = event.triggerText();
  ZxEvent back;
  back.fromTriggerText(written);
  ZX_FUZZ_CHECK(back.category() == event.category());
  ZX_FUZZ_CHECK(zxfuzz::same(back.name(), event.name()));
  ZX_FUZZ_CHECK(zxfuzz::same(back.label(), event.label()));
  ZX_FUZZ_CHECK(zxfuzz::same(back.textId(), event.textId()));
  // A subjob number past the 32-bit range wraps as well
  // (fuzz/findings/trigger_fuzz/subjob-past-32-bits).
  const bool subFits =
      event.category() != EventCategory::kSubjob || event.subId() == -2 || event.subId() >= 0;
  if (subFits) ZX_FUZZ_CHECK(back.subId() == event.subId());
  // A number past the 32-bit range reads as a negative start or interval,
  // whose "-" then splits the written text (fuzz/findings/trigger_fuzz);
  // the numbers are compared only where that cannot have happened.
  const bool readsInterval =
      event.category() == EventCategory::kRepeat || event.category() == EventCategory::kGlobalRepeat;
  if (subFits && event.start() >= 0 && (!readsInterval || event.interval() >= 0)) {
    ZX_FUZZ_CHECK(back.start() == event.start());
    ZX_FUZZ_CHECK(back.interval() == event.interval());
    ZX_FUZZ_CHECK(zxfuzz::same(back.triggerText(), written));
  }
  event.jobTriggerText();
  isValidTrigger(input);

  ZxStringList tokens;
  splitTriggerString(input, tokens);
  ZX_FUZZ_CHECK(tokens.count() <= input.length());
  return 0;
}
