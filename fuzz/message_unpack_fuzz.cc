// Fuzz target: unpack() of a message, the reply path of every exchange with
// the supervisor (the content is recreated through the class registry).
// Property: pack() of what was read, read again and packed again, gives
// the same bytes.
#include "pack_roundtrip.h"
#include "message/zx_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zxfuzz::checkBinary<ZxMessage>(data, size);
  return 0;
}
