// ZxByteBuffer: growth, appending and hand-over.
#include "util/zx_byte_buffer.h"
#include "util/zx_out_of_memory.h"

#include <cstdlib>
#include <cstring>

ZxByteBuffer::ZxByteBuffer(ZxByteBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.size_ = other.capacity_ = 0;
}

ZxByteBuffer& ZxByteBuffer::operator=(ZxByteBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  return *this;
}

ZxByteBuffer::~ZxByteBuffer() { std::free(data_); }

bool ZxByteBuffer::reserve(size_t capacity) {
  if (capacity <= capacity_) return true;
  if (capacity > kMaxSize) return false;
  void* grown = std::realloc(data_, capacity);
  if (!grown) {
    ZxOutOfMemory::note();
    return false;
  }
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
  return true;
}

bool ZxByteBuffer::resize(size_t size) {
  if (!reserve(size)) return false;
  size_ = size;
  return true;
}

bool ZxByteBuffer::append(const void* bytes, size_t n) {
  if (n == 0) return true;
  if (!bytes || n > kMaxSize - size_) return false;
  const size_t needed = size_ + n;
  if (needed > capacity_) {
    size_t grown = capacity_ < 64 ? 64 : capacity_;
    while (grown < needed) grown = grown > kMaxSize / 2 ? kMaxSize : grown * 2;
    if (!reserve(grown)) return false;
  }
  std::memcpy(data_ + size_, bytes, n);
  size_ = needed;
  return true;
}

void ZxByteBuffer::reset() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

char* ZxByteBuffer::release() {
  char* block = data_;
  data_ = nullptr;
  size_ = capacity_ = 0;
  return block;
}
