// Fuzz target: the receiving side of the transport. The input is what a
// peer sends. It is read as one TCP frame twice: by the frame reader fed in
// small pieces from memory, and by a kind-1 connection from a local socket
// pair that holds the bytes and then closes. Both must agree on the result
// and the payload; a payload read must be exactly as long as its header
// says and must come back whole through a frame of our own. The same bytes
// are read as one datagram, from memory and by a kind-2 connection from a
// datagram socket pair, which must agree too.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "net/zx_connection.h"
#include "net/zx_frame.h"
#include "os/zx_os_socket.h"

namespace {

// Inputs up to this size fit a local socket's buffer at once, so the
// socket-pair reads need no writer thread.
constexpr size_t kMaxSocketInput = 64 << 10;

struct Result {
  int code = 0;
  std::string payload;
};

// The frame reader over memory, `piece` bytes at a time.
Result readFromMemory(const uint8_t* data, size_t size, size_t piece) {
  Result r;
  ZxByteBuffer out;
  ZxFrame::Reader reader(&out);
  size_t at = 0;
  while (!reader.done()) {
    if (at == size) {
      r.code = reader.endCode(false);
      return r;
    }
    size_t n = reader.wanted();
    if (n > piece) n = piece;
    if (n > size - at) n = size - at;
    std::memcpy(reader.space(), data + at, n);
    at += n;
    r.code = reader.advance(n);
    if (r.code != 0) {
      ZX_FUZZ_CHECK(reader.failed() && out.capacity() == 0);
      return r;
    }
  }
  ZX_FUZZ_CHECK(out.size() == reader.payloadLength());
  r.payload.assign(out.data(), out.size());
  return r;
}

// A connection of `kind` reading what the other end of a socket pair sent.
bool readFromSocket(zxos::SocketType type, int kind, const uint8_t* data, size_t size, Result* r) {
  int writer = -1;
  int reader = -1;
  if (!zxos::socketPair(type, &writer, &reader, nullptr)) return false;
  bool sent = true;
  if (type == zxos::SocketType::kStream) {
    size_t at = 0;
    while (at < size) {
      long n = zxos::sendSome(writer, data + at, size - at, nullptr);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    sent = at == size;
  } else {
    sent = zxos::sendSome(writer, data, size, nullptr) == static_cast<long>(size);
  }
  zxos::closeSocket(writer, nullptr);
  if (!sent) {
    zxos::closeSocket(reader, nullptr);
    return false;
  }
  ZxConnection c(reader, kind);
  c.setTimeout(2000);
  ZxByteBuffer out;
  if (c.receive(out)) {
    r->payload.assign(out.data(), out.size());
  } else {
    r->code = c.error().code();
    ZX_FUZZ_CHECK(r->code != 0 && out.size() == 0);
  }
  if (kind != ZxConnection::kTcp)
    zxos::closeSocket(reader, nullptr);  // a datagram connection only borrows it
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As a frame, in pieces of a size the input picks, and in large pieces.
  const size_t piece = 1 + size % 13;
  const Result small = readFromMemory(data, size, piece);
  const Result large = readFromMemory(data, size, 1 << 20);
  ZX_FUZZ_CHECK(small.code == large.code && small.payload == large.payload);
  if (small.code == 0) {
    ZxByteBuffer frame;
    ZX_FUZZ_CHECK(ZxFrame::encodeFrame(small.payload.data(), small.payload.size(), frame) == 0);
    const Result again =
        readFromMemory(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), ZxFrame::kReceiveChunk);
    ZX_FUZZ_CHECK(again.code == 0 && again.payload == small.payload);
  }
  Result viaSocket;
  if (size <= kMaxSocketInput &&
      readFromSocket(zxos::SocketType::kStream, ZxConnection::kTcp, data, size, &viaSocket))
    ZX_FUZZ_CHECK(viaSocket.code == small.code && viaSocket.payload == small.payload);

  // As a datagram.
  const char* payload = nullptr;
  size_t length = 0;
  int version = -1;
  const int code =
      ZxFrame::decodeDatagram(reinterpret_cast<const char*>(data), size, &payload, &length, &version);
  if (code == 0) ZX_FUZZ_CHECK(payload == reinterpret_cast<const char*>(data) + 5 && length <= size - 5);
  Result datagram;
  // A datagram longer than the receive buffer arrives cut, so only those
  // that fit are compared.
  if (size <= ZxFrame::kMaxDatagram &&
      readFromSocket(zxos::SocketType::kDatagram, ZxConnection::kUdp, data, size, &datagram)) {
    ZX_FUZZ_CHECK(datagram.code == code);
    if (code == 0) ZX_FUZZ_CHECK(datagram.payload == std::string(payload, length));
  }
  return 0;
}
