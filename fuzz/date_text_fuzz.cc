// Fuzz target: the date text reader (ZxTime::fromDateText).
// Property: a date text the reader accepts, written again with dateText(),
// reads back to the same time stamp.
#include "fuzz_support.h"
#include "model/zx_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxTime time;
  time.fromDateText(zxfuzz::text(data, size));
  if (!time.isSet()) return 0;
  ZxString written = time.dateText();
  if (written.isEmpty()) return 0;  // no local time for this stamp
  ZxTime back;
  back.fromDateText(written);
  ZX_FUZZ_CHECK(back.value() == time.value());
  return 0;
}
