// Fuzz target: reservation texts (ZxReservation, ZxReservationList and
// ZxReservationHash fromReservationText) and the expression tokeniser.
// Property: for recognised kinds and names without separators, the
// reservationText() of what was read is a fixed point: read again and
// written again, it is the same text.
#include <cstring>

#include "fuzz_support.h"
#include "model/zx_reservation.h"

namespace {
// An unrecognised kind writes "unknown" where the count goes, which reads
// back as part of the name; a quoted or braced name may hold the blanks,
// operators, quotes, braces and commas that cut a reservation text, and
// the writer does not quote. Only the other reservations are fixed points.
bool writable(const ZxReservation& r) {
  if (r.kind() == ResourceKind::kNotRecognised) return false;
  // A count past the 32-bit range wraps to a negative number, whose "-"
  // then cuts the text (fuzz/findings/reservation_fuzz).
  if (r.count() < 0) return false;
  const ZxString& name = r.name();
  for (int i = 0; i < name.length(); ++i)
    if (name.charAt(i) == 0 || std::strchr(" \t\r\n(){}*+-/:?<=>!&|\"',", name.charAt(i))) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  ZxReservation one(input);
  ZxString written = one.reservationText();
  ZxReservation back(written);
  if (writable(one)) ZX_FUZZ_CHECK(zxfuzz::same(back.reservationText(), written));

  ZxReservationList list;
  list.fromReservationText(input);
  ZxString listText = list.reservationText();
  bool allWritable = true;
  for (int i = 0; i < list.count(); ++i) allWritable = allWritable && writable(*list.get(i));
  ZxReservationList listBack;
  listBack.fromReservationText(listText);
  if (allWritable) ZX_FUZZ_CHECK(zxfuzz::same(listBack.reservationText(), listText));

  ZxReservationHash hash;
  hash.fromReservationText(input);
  hash.reservationText();
  return 0;
}
