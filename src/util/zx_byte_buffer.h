// ZxByteBuffer: an owned, growable block of bytes for data whose size is
// known only as it arrives (network frames, datagrams).
//
// The buffer holds size() bytes at data(), in a block of capacity() bytes.
// Growth never fails loudly: reserve() and resize() answer false when memory
// runs out (or the size would pass kMaxSize) and leave the buffer as it was.
// reserve() grows to exactly what is asked, so a reader that doubles its
// request as data comes in grows geometrically while never holding more than
// twice what arrived. Large blocks are grown in place where the allocator
// can (realloc), so growing does not need the old and the new block at once.
//
// Ownership: the buffer owns its block; moving hands the block over, and
// release() gives it to the caller, who frees it with std::free().
#pragma once

#include <cstddef>

class ZxByteBuffer {
 public:
  // Sizes stay within what a signed 32-bit length can describe.
  static constexpr size_t kMaxSize = 0x7FFFFFFF;

  ZxByteBuffer() = default;
  ZxByteBuffer(const ZxByteBuffer&) = delete;
  ZxByteBuffer& operator=(const ZxByteBuffer&) = delete;
  ZxByteBuffer(ZxByteBuffer&& other) noexcept;
  ZxByteBuffer& operator=(ZxByteBuffer&& other) noexcept;
  ~ZxByteBuffer();

  char* data() { return data_; }
  const char* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool isEmpty() const { return size_ == 0; }

  // Makes the block at least `capacity` bytes; the bytes held stay.
  bool reserve(size_t capacity);
  // Sets the size, growing the block to fit; new bytes are not initialised.
  bool resize(size_t size);
  // Appends n bytes, growing the block geometrically.
  bool append(const void* bytes, size_t n);
  // Forgets the bytes, keeps the block.
  void clear() { size_ = 0; }
  // Frees the block.
  void reset();
  // Hands the block to the caller (free it with std::free) and leaves the
  // buffer empty.
  char* release();

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
