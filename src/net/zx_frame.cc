// The frame and datagram layouts, and the incremental frame reader.
#include "net/zx_frame.h"

#include <climits>
#include <cstring>

namespace ZxFrame {

int encodeFrame(const char* payload, size_t n, ZxByteBuffer& out) {
  out.clear();
  if (n == 0) return kNoData;
  if (!payload || n > INT32_MAX) return kCompress;
  const uLong bound = compressBound(static_cast<uLong>(n));
  if (!out.resize(kHeaderSize + bound)) return kNoMemory;
  uLongf c = bound;
  int rc = compress2(reinterpret_cast<Bytef*>(out.data() + kHeaderSize), &c,
                     reinterpret_cast<const Bytef*>(payload), static_cast<uLong>(n), Z_DEFAULT_COMPRESSION);
  if (rc != Z_OK || c == 0 || c > INT32_MAX) {
    out.reset();
    return rc == Z_MEM_ERROR ? kNoMemory : kCompress;
  }
  unsigned char* h = reinterpret_cast<unsigned char*>(out.data());
  h[0] = kCommVersion;
  zxcoding::putBE32(h + 1, static_cast<uint32_t>(c));
  zxcoding::putBE32(h + 5, static_cast<uint32_t>(n));
  out.resize(kHeaderSize + c);
  return kOk;
}

int encodeDatagram(const char* payload, size_t n, ZxByteBuffer& out) {
  out.clear();
  if (n == 0 || !payload || n > INT32_MAX) return kDatagramBlank;
  if (!out.resize(kDatagramHeaderSize + n)) return kNoMemory;
  unsigned char* h = reinterpret_cast<unsigned char*>(out.data());
  h[0] = kCommVersion;
  zxcoding::putBE32(h + 1, static_cast<uint32_t>(n));
  std::memcpy(out.data() + kDatagramHeaderSize, payload, n);
  return kOk;
}

int decodeDatagram(const char* bytes, size_t n, const char** payload, size_t* length, int* version) {
  if (!bytes || n <= kDatagramHeaderSize) return kDatagramBlank;
  const unsigned char* h = reinterpret_cast<const unsigned char*>(bytes);
  if (h[0] != kCommVersion) {
    if (version) *version = h[0];
    return kDatagramVersion;
  }
  const uint32_t declared = zxcoding::getBE32(h + 1);
  // The length is a signed number on the wire: 0x80000000 and above are negative.
  if (declared == 0 || declared > INT32_MAX) return kDatagramBlank;
  // Never read past what arrived: a datagram shorter than it says is refused.
  if (declared > n - kDatagramHeaderSize) return kDatagramBlank;
  *payload = bytes + kDatagramHeaderSize;
  *length = declared;
  return kOk;
}

Reader::Reader(ZxByteBuffer* out) : out_(out) {
  out_->clear();
  std::memset(header_, 0, sizeof header_);
  std::memset(&stream_, 0, sizeof stream_);
}

Reader::~Reader() {
  if (streamOpen_) inflateEnd(&stream_);
}

char* Reader::space() {
  if (phase_ == Phase::kHeader) return reinterpret_cast<char*>(header_) + headerBytes_;
  if (phase_ == Phase::kBody) return chunk_.data();
  return nullptr;
}

size_t Reader::wanted() const {
  if (phase_ == Phase::kHeader) return kHeaderSize - headerBytes_;
  if (phase_ == Phase::kBody) {
    const size_t left = compressed_ - bodyReceived_;
    return left < chunk_.capacity() ? left : chunk_.capacity();
  }
  return 0;
}

int Reader::endCode(bool receiveFailed) const {
  if (phase_ == Phase::kHeader && headerBytes_ == 0) return receiveFailed ? kReceiveFailed : kBlank;
  if (phase_ == Phase::kHeader) return kHeaderShort;
  return kBodyShort;
}

int Reader::fail(int code) {
  phase_ = Phase::kFailed;
  if (streamOpen_) {
    inflateEnd(&stream_);
    streamOpen_ = false;
  }
  chunk_.reset();
  out_->reset();
  return code;
}

int Reader::advance(size_t n) {
  if (n == 0) return kOk;
  if (n > wanted()) return fail(kInflate);  // more than was asked for: a caller fault, never trusted
  if (phase_ == Phase::kBody) return inflateChunk(n);
  // The header is checked field by field as it fills, so a bad version or an
  // empty compressed length is reported as soon as its bytes are in.
  const size_t before = headerBytes_;
  headerBytes_ += n;
  if (before < 1 && header_[0] != kCommVersion) return fail(kVersion);
  if (before < 5 && headerBytes_ >= 5) {
    compressed_ = zxcoding::getBE32(header_ + 1);
    // Lengths are signed on the wire: 0 and 0x80000000 up are "no data".
    if (compressed_ == 0 || compressed_ > INT32_MAX) return fail(kNoData);
  }
  if (headerBytes_ < kHeaderSize) return kOk;
  payload_ = zxcoding::getBE32(header_ + 5);
  if (payload_ == 0 || payload_ > INT32_MAX) return fail(kNoData);
  return startBody();
}

int Reader::startBody() {
  if (payload_ > kMaxFrameBytes) return fail(kNoMemory);
  // zlib never makes more than compressBound(u) bytes of u bytes; a larger c
  // cannot be a compressed form of u bytes.
  if (compressed_ > compressBound(payload_)) return fail(kInflate);
  if (inflateInit(&stream_) != Z_OK) return fail(kNoMemory);
  streamOpen_ = true;
  const size_t chunk = compressed_ < kReceiveChunk ? compressed_ : kReceiveChunk;
  const size_t first = payload_ < kFirstPayloadBlock ? payload_ : kFirstPayloadBlock;
  if (!chunk_.reserve(chunk) || !out_->reserve(first)) return fail(kNoMemory);
  const size_t room = out_->capacity() < payload_ ? out_->capacity() : payload_;
  stream_.next_out = reinterpret_cast<Bytef*>(out_->data());
  stream_.avail_out = static_cast<uInt>(room);
  phase_ = Phase::kBody;
  return kOk;
}

int Reader::inflateChunk(size_t n) {
  bodyReceived_ += n;
  stream_.next_in = reinterpret_cast<Bytef*>(chunk_.data());
  stream_.avail_in = static_cast<uInt>(n);
  for (;;) {
    if (stream_.avail_out == 0) {
      const size_t produced = stream_.total_out;
      if (produced < payload_) {
        // A block kept from an earlier frame may already be large enough.
        if (out_->capacity() <= produced) {
          size_t grown = out_->capacity() * 2;
          if (grown > payload_) grown = payload_;
          if (!out_->reserve(grown)) return fail(kNoMemory);
        }
        const size_t room = (out_->capacity() < payload_ ? out_->capacity() : payload_) - produced;
        stream_.next_out = reinterpret_cast<Bytef*>(out_->data() + produced);
        stream_.avail_out = static_cast<uInt>(room);
      } else {
        // One byte of room past u: inflate writing into it means the data
        // holds more than the header said.
        stream_.next_out = &beyond_;
        stream_.avail_out = 1;
      }
    }
    const int rc = inflate(&stream_, Z_NO_FLUSH);
    if (stream_.total_out > payload_) return fail(kInflate);
    if (rc == Z_STREAM_END) {
      // Exactly u bytes, and the stream ends at the frame's last byte.
      if (stream_.total_out != payload_ || stream_.total_in != compressed_) return fail(kInflate);
      inflateEnd(&stream_);
      streamOpen_ = false;
      chunk_.reset();
      out_->resize(payload_);
      phase_ = Phase::kDone;
      return kOk;
    }
    if (rc == Z_MEM_ERROR) return fail(kNoMemory);
    // No progress possible: fine when the input is used up (more comes with
    // the next chunk), damaged data otherwise.
    if (rc == Z_BUF_ERROR && stream_.avail_in == 0) break;
    if (rc != Z_OK) return fail(kInflate);
    // Output still has room, so inflate stopped for want of input. With the
    // output full it may hold more to write: go round and make room.
    if (stream_.avail_in == 0 && stream_.avail_out != 0) break;
  }
  // Every compressed byte is in but the stream has not ended.
  if (bodyReceived_ == compressed_) return fail(kInflate);
  return kOk;
}

}  // namespace ZxFrame
