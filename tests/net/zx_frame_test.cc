// Tests of the frame and datagram layouts on plain bytes: golden bytes of
// both, the frame reader on damaged and hostile frames (lying lengths,
// zlib garbage, short and long inflation, trailing bytes, every cut), and
// what a header that claims a huge frame costs before its data arrives.
#include "net/zx_frame.h"

#include <gtest/gtest.h>

#include <string>

#include "net/zx_net_peer.h"

namespace {

using zxtest::big32;
using zxtest::frameBytes;
using zxtest::frameOf;
using zxtest::zlibOf;

struct ReadResult {
  int code = 0;       // first error code, 0 when none
  bool done = false;  // the frame completed
  std::string payload;
  int version = -1;
  size_t peakCapacity = 0;  // the largest payload block seen while reading
};

// Feeds `bytes` to a reader in pieces of at most `piece` bytes, as a socket
// would hand them over; stops at the first error.
// With `reuse`, reads into that buffer (and the block it already holds).
ReadResult readFrame(const std::string& bytes, size_t piece = 1 << 20, ZxByteBuffer* reuse = nullptr) {
  ReadResult r;
  ZxByteBuffer own;
  ZxByteBuffer& out = reuse ? *reuse : own;
  ZxFrame::Reader reader(&out);
  size_t at = 0;
  while (!reader.done() && at < bytes.size()) {
    size_t n = reader.wanted();
    if (n > piece) n = piece;
    if (n > bytes.size() - at) n = bytes.size() - at;
    std::memcpy(reader.space(), bytes.data() + at, n);
    at += n;
    r.code = reader.advance(n);
    if (out.capacity() > r.peakCapacity) r.peakCapacity = out.capacity();
    if (r.code != 0) break;
  }
  r.version = reader.version();
  r.done = reader.done();
  if (r.done) r.payload.assign(out.data(), out.size());
  if (!r.done && r.code == 0) r.code = reader.endCode(false);
  if (reader.failed()) {
    EXPECT_EQ(out.capacity(), 0u) << "a failed frame keeps no block";
  }
  return r;
}

TEST(Frame, EncodesTheGoldenLayout) {
  ZxByteBuffer out;
  const std::string payload = "hello, farm";
  ASSERT_EQ(ZxFrame::encodeFrame(payload.data(), payload.size(), out), 0);
  const std::string bytes(out.data(), out.size());
  EXPECT_EQ(bytes, frameOf(payload));  // identical to zlib's compress() at its default level
  EXPECT_EQ(bytes.substr(0, 9), std::string("\x02", 1) + big32(bytes.size() - 9) + big32(11));
  EXPECT_EQ(readFrame(bytes).payload, payload);

  EXPECT_EQ(ZxFrame::encodeFrame("", 0, out), ZxFrame::kNoData);

  ASSERT_EQ(ZxFrame::encodeDatagram("abc", 3, out), 0);
  EXPECT_EQ(std::string(out.data(), out.size()), std::string("\x02\x00\x00\x00\x03"
                                                             "abc",
                                                             8));
  EXPECT_EQ(ZxFrame::encodeDatagram("", 0, out), ZxFrame::kDatagramBlank);
}

TEST(Frame, RoundTripsAcrossPieceSizes) {
  const std::string payloads[] = {"x", zxtest::recordBytes(65537), std::string(300000, '\0')};
  const size_t pieces[] = {1, 7, 4096, 1 << 20};
  for (const std::string& p : payloads)
    for (size_t piece : pieces) {
      SCOPED_TRACE(std::to_string(p.size()) + " bytes in pieces of " + std::to_string(piece));
      ReadResult r = readFrame(frameOf(p), piece);
      EXPECT_EQ(r.code, 0);
      ASSERT_TRUE(r.done);
      EXPECT_EQ(r.payload, p);
    }
}

TEST(Frame, RefusesDamagedAndLyingFrames) {
  const std::string good = zlibOf("payload!");
  const std::string bigger = zlibOf(std::string(5000, 'a') + "tail");
  struct Case {
    const char* what;
    std::string bytes;
    int code;
  };
  const Case cases[] = {
      {"version 3", frameBytes(good, 8, 3), ZxFrame::kVersion},
      {"version 0", frameBytes(good, 8, 0), ZxFrame::kVersion},
      {"compressed length 0", std::string("\x02", 1) + big32(0) + big32(8), ZxFrame::kNoData},
      {"compressed length negative", std::string("\x02", 1) + big32(0x80000000u) + big32(8),
       ZxFrame::kNoData},
      {"uncompressed length 0", frameBytes(good, 0), ZxFrame::kNoData},
      {"uncompressed length negative", frameBytes(good, 0xFFFFFFFFu), ZxFrame::kNoData},
      {"payload above the frame limit", frameBytes(good, ZxFrame::kMaxFrameBytes + 1), ZxFrame::kNoMemory},
      {"compressed length beyond zlib's bound", frameBytes(std::string(100, 'x'), 8), ZxFrame::kInflate},
      {"zlib garbage", frameBytes(std::string("\x78\x9c garbage!", 12), 8), ZxFrame::kInflate},
      {"inflates to fewer bytes than declared", frameBytes(good, 9), ZxFrame::kInflate},
      {"inflates to more bytes than declared", frameBytes(good, 7), ZxFrame::kInflate},
      {"more bytes than declared, large", frameBytes(bigger, 5000), ZxFrame::kInflate},
      {"trailing bytes after the stream", frameBytes(good + "xy", 8), ZxFrame::kInflate},
      {"stream cut before its checksum", frameBytes(good.substr(0, good.size() - 4), 8), ZxFrame::kInflate},
      {"bad checksum", frameBytes(good.substr(0, good.size() - 1) + "\x01", 8), ZxFrame::kInflate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (size_t piece : {size_t(1), size_t(1) << 20}) {
      ReadResult r = readFrame(c.bytes, piece);
      EXPECT_FALSE(r.done);
      EXPECT_EQ(r.code, c.code);
    }
    // Into a buffer that still holds a large block from an earlier frame:
    // the block's room must not let a frame inflate past its length.
    ZxByteBuffer reused;
    ASSERT_TRUE(readFrame(frameOf(std::string(100000, 'r')), 1 << 20, &reused).done);
    ReadResult r = readFrame(c.bytes, 1 << 20, &reused);
    EXPECT_FALSE(r.done);
    EXPECT_EQ(r.code, c.code);
  }
  // The version byte is kept for the message.
  EXPECT_EQ(readFrame(frameBytes(good, 8, 3)).version, 3);
}

TEST(Frame, ABufferIsReusedFrameAfterFrame) {
  ZxByteBuffer out;
  const std::string large = zxtest::recordBytes(200000);
  ASSERT_EQ(readFrame(frameOf(large), 4096, &out).payload, large);
  const size_t block = out.capacity();
  const std::string small = "small after large";
  ReadResult r = readFrame(frameOf(small), 4096, &out);
  EXPECT_EQ(r.payload, small);
  EXPECT_EQ(out.size(), small.size());
  EXPECT_EQ(out.capacity(), block);  // kept, not allocated again
  const std::string larger = zxtest::recordBytes(500000);
  EXPECT_EQ(readFrame(frameOf(larger), 4096, &out).payload, larger);
}

TEST(Frame, EveryCutOfAGoodFrameNamesWhereItStopped) {
  const std::string frame = frameOf("a frame that will be cut");
  for (size_t n = 0; n < frame.size(); ++n) {
    SCOPED_TRACE(n);
    ReadResult r = readFrame(frame.substr(0, n));
    EXPECT_FALSE(r.done);
    const int expected = n == 0 ? ZxFrame::kBlank : n < 9 ? ZxFrame::kHeaderShort : ZxFrame::kBodyShort;
    EXPECT_EQ(r.code, expected);
  }
  ZxByteBuffer out;
  ZxFrame::Reader reader(&out);
  EXPECT_EQ(reader.endCode(true), ZxFrame::kReceiveFailed);  // a failed read before any byte
}

TEST(Frame, AHugeHeaderCostsLittleBeforeItsDataArrives) {
  // The header claims the largest frame allowed; only a few data bytes come.
  const std::string header =
      std::string("\x02", 1) + big32(compressBound(ZxFrame::kMaxFrameBytes)) + big32(ZxFrame::kMaxFrameBytes);
  ZxByteBuffer out;
  ZxFrame::Reader reader(&out);
  std::memcpy(reader.space(), header.data(), header.size());
  ASSERT_EQ(reader.advance(header.size()), 0);
  EXPECT_LE(out.capacity(), ZxFrame::kFirstPayloadBlock);
  EXPECT_LE(reader.wanted(), ZxFrame::kReceiveChunk);

  // Real data makes the block grow only as it inflates: 1 MiB of zeros
  // arrives, the block holds no more than twice that.
  z_stream s{};
  deflateInit(&s, Z_DEFAULT_COMPRESSION);
  std::string data(1 << 20, '\0');
  std::string part(compressBound(data.size()), '\0');
  s.next_in = reinterpret_cast<Bytef*>(&data[0]);
  s.avail_in = data.size();
  s.next_out = reinterpret_cast<Bytef*>(&part[0]);
  s.avail_out = part.size();
  ASSERT_EQ(deflate(&s, Z_SYNC_FLUSH), Z_OK);  // the stream goes on: no end, no checksum
  part.resize(part.size() - s.avail_out);
  deflateEnd(&s);
  std::memcpy(reader.space(), part.data(), part.size());
  ASSERT_EQ(reader.advance(part.size()), 0);
  EXPECT_FALSE(reader.done());
  EXPECT_LE(out.capacity(), size_t(2) << 20);
  EXPECT_GE(out.capacity(), size_t(1) << 20);
}

TEST(Datagram, DecodesAndRefusesShortOrLyingDatagrams) {
  struct Case {
    const char* what;
    std::string bytes;
    int code;
    std::string payload;
    int version;
  };
  const Case cases[] = {
      {"good", std::string("\x02", 1) + big32(3) + "abc", 0, "abc", -1},
      {"bytes after the declared length are ignored", std::string("\x02", 1) + big32(2) + "abc", 0, "ab", -1},
      {"exactly five bytes", std::string("\x02", 1) + big32(0), ZxFrame::kDatagramBlank, "", -1},
      {"four bytes", std::string("\x02\x00\x00\x00", 4), ZxFrame::kDatagramBlank, "", -1},
      {"empty", std::string(), ZxFrame::kDatagramBlank, "", -1},
      {"version 1", std::string("\x01", 1) + big32(3) + "abc", ZxFrame::kDatagramVersion, "", 1},
      {"length 0", std::string("\x02", 1) + big32(0) + "abc", ZxFrame::kDatagramBlank, "", -1},
      {"length negative", std::string("\x02", 1) + big32(0x80000001u) + "abc", ZxFrame::kDatagramBlank, "",
       -1},
      {"declared longer than arrived", std::string("\x02", 1) + big32(4) + "abc", ZxFrame::kDatagramBlank, "",
       -1},
      {"declared far longer than arrived", std::string("\x02", 1) + big32(60000) + "abc",
       ZxFrame::kDatagramBlank, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const char* payload = nullptr;
    size_t length = 0;
    int version = -1;
    EXPECT_EQ(ZxFrame::decodeDatagram(c.bytes.data(), c.bytes.size(), &payload, &length, &version), c.code);
    EXPECT_EQ(version, c.version);
    if (c.code == 0) {
      EXPECT_EQ(std::string(payload, length), c.payload);
    }
  }
}

}  // namespace
