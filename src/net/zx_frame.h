// The byte layouts of the transport: the compressed TCP frame and the UDP
// datagram, their limits, and the incremental reader that turns the bytes of
// one frame, as they arrive, into its payload. Nothing here touches a
// socket, so the layouts can be checked on plain bytes.
//
// TCP frame (every frame is compressed; there is no uncompressed variant):
//   offset 0  1 byte   comm version, always 2
//   offset 1  4 bytes  compressed length c, big-endian, > 0
//   offset 5  4 bytes  uncompressed length u, big-endian, > 0
//   offset 9  c bytes  the payload compressed by zlib (header and checksum)
//
// UDP datagram (not compressed):
//   offset 0  1 byte   comm version, always 2
//   offset 1  4 bytes  payload length n, big-endian
//   offset 5  n bytes  the payload
//
// A frame's header is nine bytes, yet it declares lengths of up to 2 GiB.
// The reader never trusts them for an allocation: u is refused above
// kMaxFrameBytes and c above zlib's bound for u; the compressed bytes pass
// through one receive chunk of at most kReceiveChunk bytes and are inflated
// as they come, and the payload block starts at kFirstPayloadBlock bytes
// and doubles only as inflated data fills it. A peer that sends a header
// and stalls costs a few hundred KiB, not the 2 GiB it claims. The payload
// must inflate to exactly u bytes, and the zlib stream must end exactly at
// the frame's last byte.
//
// Error codes are those of the connection's error record (ZxErr): 4
// (the payload cannot be compressed), 14
// (memory, or a frame larger than kMaxFrameBytes), 16 (closed before the
// first byte), 17 (receive failure on the first byte), 18 (wrong version),
// 19 (header cut short), 20 (a length of 0 or less), 21 (data that does not
// inflate to exactly u bytes), 30 (datagram too short or shorter than it
// says), 31 (wrong datagram version), 41 (frame body cut short).
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "serial/zx_coding.h"
#include "util/zx_byte_buffer.h"

namespace ZxFrame {

// The comm version of the transport, first byte of every frame and datagram.
constexpr int kCommVersion = 2;
constexpr size_t kHeaderSize = 9;
constexpr size_t kDatagramHeaderSize = 5;

// The largest payload a frame may declare. The largest real message is a
// query answer of 10,000 jobs with 100 work items each, about 365 MB
// uncompressed; 512 MiB leaves room above it while refusing the 2 GiB a
// lying header can claim. Peers of this library refuse larger frames.
constexpr uint32_t kMaxFrameBytes = 512u << 20;

// Compressed bytes are read in pieces of at most this size (less for a
// smaller frame): large enough that a big frame costs few system calls,
// small enough to be the whole cost of a header whose data never comes.
constexpr size_t kReceiveChunk = 256u << 10;

// The payload block starts at this size (or u when smaller) and doubles as
// the inflated data fills it, up to u.
constexpr size_t kFirstPayloadBlock = 64u << 10;

// A datagram never exceeds what one receive buffer of this size holds.
constexpr size_t kMaxDatagram = 65535;

// Error codes of the transport (see ZxErr's table).
enum Code {
  kOk = 0,
  kCompress = 4,
  kNoMemory = 14,
  kBlank = 16,
  kReceiveFailed = 17,
  kVersion = 18,
  kHeaderShort = 19,
  kNoData = 20,
  kInflate = 21,
  kDatagramBlank = 30,
  kDatagramVersion = 31,
  kBodyShort = 41,
};

// Replaces `out` by the whole frame of the n payload bytes: header and the
// payload compressed at zlib's default level. Returns kOk, kNoData for an
// empty payload (a peer refuses a frame without data), kCompress when the payload
// cannot be compressed (or its compressed form would not fit the header), or
// kNoMemory.
int encodeFrame(const char* payload, size_t n, ZxByteBuffer& out);

// Replaces `out` by the datagram of the n payload bytes. kOk, kDatagramBlank
// for an empty payload, kNoMemory. A payload too large for one datagram is
// left to the send, which reports the system's "message too long".
int encodeDatagram(const char* payload, size_t n, ZxByteBuffer& out);

// Checks one received datagram of n bytes. On kOk, *payload and *length
// name the payload inside `bytes` (as long as its header says; bytes after
// it are ignored). Otherwise kDatagramBlank (5 bytes or fewer, a length of 0
// or less, or a length beyond the bytes that arrived) or kDatagramVersion
// with *version set to the first byte.
int decodeDatagram(const char* bytes, size_t n, const char** payload, size_t* length, int* version);

// Reads one frame from bytes handed over as they arrive. The caller asks
// space() for where the next bytes go and wanted() for how many at most,
// writes them there, and calls advance() with their number. The payload
// grows in `out`, which holds exactly u bytes once done() is true and is
// emptied (its block freed) after any failure. A block `out` already holds
// is reused, so a reader of many frames into one buffer does not allocate
// each time.
class Reader {
 public:
  explicit Reader(ZxByteBuffer* out);
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader();

  // Where the next bytes go, and how many the reader takes at most there
  // (0 once the frame is complete or has failed).
  char* space();
  size_t wanted() const;
  // Takes the n bytes just written at space(). Returns kOk while all is
  // well (finished or not), else the error code; the reader then stops.
  int advance(size_t n);

  bool done() const { return phase_ == Phase::kDone; }
  bool failed() const { return phase_ == Phase::kFailed; }
  // The code for a stream that ends here: kBlank before the first byte,
  // kHeaderShort inside the header, kBodyShort inside the body; with
  // `receiveFailed` (the read failed rather than the peer closing),
  // kReceiveFailed before the first byte.
  int endCode(bool receiveFailed) const;
  // The version byte received (for the kVersion message); -1 before it.
  int version() const { return headerBytes_ > 0 ? header_[0] : -1; }
  // The lengths of the header, once read (0 before).
  uint32_t compressedLength() const { return compressed_; }
  uint32_t payloadLength() const { return payload_; }

 private:
  enum class Phase { kHeader, kBody, kDone, kFailed };
  int fail(int code);
  int startBody();
  int inflateChunk(size_t n);

  ZxByteBuffer* out_;
  Phase phase_ = Phase::kHeader;
  unsigned char header_[kHeaderSize];
  size_t headerBytes_ = 0;
  uint32_t compressed_ = 0;
  uint32_t payload_ = 0;
  size_t bodyReceived_ = 0;
  ZxByteBuffer chunk_;
  z_stream stream_;
  bool streamOpen_ = false;
  unsigned char beyond_ = 0;  // the output byte past u, see inflateChunk()
};

}  // namespace ZxFrame
