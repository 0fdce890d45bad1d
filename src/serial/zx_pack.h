// ZxPack: the packable base class of every record, container and message.
//
// A packable object is its own encoder: pack() and toText() build its
// binary or text form in the object's own buffer (owned by the object,
// valid until the next encoding call or destruction); unpack() and
// fromText() read fields from a caller's input, which is only borrowed for
// the call and never kept.
//
// Binary form: a 4-byte version word 1, then one field after the other.
// Each field is a header (16-bit id, 16-bit type code, both big-endian)
// and a payload: int (4 bytes), char (1 byte), string (4-byte count, the
// bytes), nested object (4-byte class number, 4-byte count, the nested
// fields), flag (1 byte). A damaged field ends the decoding of the object
// it occurs in; the fields read so far stay set.
//
// Text form: a "version" element, then "<object type = 'name'>", one
// element per field indented with tabs, "</object>".
//
// Subclasses implement the pure operations with the put/get helpers:
//   void encodeFields() override { putInt(1, id_); putString(2, name_); }
//   void decodeField() override { getInt(1, id_); getString(2, name_); }
//   void encodeTextFields() override { putTextInt("id", id_); putTextString("name", name_); }
//   void decodeTextFields() override { getTextInt("id", id_); getTextString("name", name_); }
// Copying a ZxPack copies nothing of its buffers, so records can use the
// implicit copy constructor and assignment.
//
// Buffer growth: a full buffer is replaced by one of 4 x the needed size
// plus a few bytes, or, past 1 MiB, of 1.5 x the needed size, so that a
// large form never asks for four times its size. An encoding whose buffer
// cannot grow reports failure (pack() gives 0) and notes it
// (util/zx_out_of_memory.h).
#pragma once

#include <cstdint>
#include <cstring>

#include "serial/zx_coding.h"
#include "util/zx_base.h"
#include "util/zx_string.h"

class ZxTextNode;

class ZxPack : public ZxBase {
 public:
  // Binary field type codes (5 is never written and reads as unknown).
  enum FieldType { kTypeInt = 1, kTypeChar = 2, kTypeString = 3, kTypeObject = 4, kTypeBool = 6 };

  // Results of unpack() and fromText().
  enum Result {
    kOk = 0,
    kTooShort = 1,       // unpack: fewer than 4 bytes
    kNoVersion = 1,      // fromText: the root holds no "version" value
    kNoFields = 2,       // unpack: nothing after the version word
    kBadVersion = 3,     // version word / value is not 1
    kNotWellFormed = 4,  // fromText: the parser rejected the text
    kNoParser = 5        // fromText: no parser or no root node
  };

  // File forms of readFile() / writeFile().
  enum FileForm { kFormJob = 0, kFormBinary = 1, kFormText = 2 };

  static constexpr int kVersion = 1;

  // Deepest nesting of objects inside one another that decoding follows.
  // The deepest records of the system nest about six levels (message, job
  // list, job, subjob list, subjob, address), so 100 leaves ample room while
  // keeping the recursion of both decoders far from the stack's end. A
  // deeper object is treated as a damaged field.
  static constexpr int kMaxNesting = 100;
  // Decoding budget: containers charge every item they make by its size
  // before making it, and stop (dropping the rest, like a damaged field)
  // once one unpack() or fromText() call has made records of more than
  // kBudgetPerByte bytes per input byte plus kBudgetBase. A record such as
  // a job is thousands of bytes in memory but can be encoded in a dozen
  // (a field header and an empty body); without the budget a megabyte of
  // such items would build gigabytes. Every genuine record is encoded in
  // far more than 1/32 of its size (all of its fields are written), so the
  // budget never cuts real data.
  static constexpr long long kBudgetPerByte = 32;
  static constexpr long long kBudgetBase = 32LL * 1024 * 1024;

  ZxPack() = default;
  ZxPack(const ZxPack&) : ZxBase() {}
  ZxPack& operator=(const ZxPack&) { return *this; }
  ~ZxPack() override;

  // The seven virtual operations, in this order for every packable class.
  int typeId() const override { return 71; }
  virtual void encodeFields() = 0;
  virtual void decodeField() = 0;
  virtual const char* typeName() const { return "pack"; }
  virtual void encodeTextFields() = 0;
  virtual void decodeTextFields() = 0;

  // Binary form: version word and fields; returns used(), or 0 (and
  // used() 0) when memory ran out. The bytes are at buffer().
  int pack();
  // Reads the binary form; returns kOk, kTooShort, kNoFields or kBadVersion.
  int unpack(const void* bytes, int n);

  // Text form, NUL-terminated (never null); used() is its length, 0 when
  // memory ran out.
  const char* toText();
  // Reads a text form with a single root element; returns kOk,
  // kNoVersion, kBadVersion, kNotWellFormed or kNoParser.
  int fromText(const char* text, int n);

  // Form kFormText writes toText(), any other form pack(), through the OS
  // layer's writeFile (regular files only, replaced atomically). Returns the
  // bytes written, 0 when the form could not be built or the file written.
  int writeFile(const ZxString& path, int form);
  // Files are read through the OS layer's readFile (regular files only, at
  // most zxos::kMaxReadBytes). kFormBinary: unpack the file; kFormText:
  // read the text file (wrapped in
  // "<pack>\n" ... "\n</pack>"); kFormJob: binary first, then the job text
  // reader (see setJobTextReader). Returns the byte count read (the wrapped
  // length for text), 0 on failure.
  int readFile(const ZxString& path, int form);

  // Hook for the job file form: called by readFile(path, kFormJob) when the
  // file is not a binary file; answers like readFile. Without a hook the
  // text file is read into the target directly.
  using JobTextReader = int (*)(ZxPack& target, const ZxString& path);
  static void setJobTextReader(JobTextReader reader);

  // The encoded bytes of the last pack()/toText() (null before any).
  const char* buffer() const { return reinterpret_cast<const char*>(buffer_); }
  int used() const { return used_; }
  // Gives the encoding buffer back to the heap.
  void releaseBuffer();

 protected:
  // Binary writers: append a header and a payload.
  void putInt(int id, int32_t value);
  void putChar(int id, char value);
  void putString(int id, const ZxString& value);
  void putBool(int id, bool value);
  void putObject(int id, ZxPack& object);

  // Binary readers: act only when the current header has their id and type.
  void getInt(int id, int& target);
  void getChar(int id, char& target);
  void getString(int id, ZxString& target);
  void getBool(int id, bool& target);
  void getObject(int id, ZxPack& target);

  // Text writers: `depth` tabs, then the element.
  void putTextInt(const char* name, int value);
  void putTextChar(const char* name, char value);
  void putTextString(const char* name, const ZxString& value);
  void putTextBool(const char* name, bool value);
  void putTextObject(const char* name, ZxPack& object);

  // Text readers: look `name` up in textNode(); absent names change nothing.
  void getTextInt(const char* name, int& target);
  void getTextChar(const char* name, char& target);
  void getTextString(const char* name, ZxString& target);
  void getTextBool(const char* name, bool& target);
  void getTextObject(const char* name, ZxPack& target);

  // Overloads by value kind, for templates (lists, hashes).
  void putValue(int id, int32_t v) { putInt(id, v); }
  void putValue(int id, const ZxString& v) { putString(id, v); }
  void putValue(int id, ZxPack& v) { putObject(id, v); }
  void getValue(int id, int& v) { getInt(id, v); }
  void getValue(int id, ZxString& v) { getString(id, v); }
  void getValue(int id, ZxPack& v) { getObject(id, v); }
  void putTextValue(const char* name, int32_t v) { putTextInt(name, v); }
  void putTextValue(const char* name, const ZxString& v) { putTextString(name, v); }
  void putTextValue(const char* name, ZxPack& v) { putTextObject(name, v); }
  void getTextValue(const char* name, int& v) { getTextInt(name, v); }
  void getTextValue(const char* name, ZxString& v) { getTextString(name, v); }
  void getTextValue(const char* name, ZxPack& v) { getTextObject(name, v); }
  // Whether textNode() holds `name` as a field value or a nested object.
  bool hasTextName(const char* name) const;

  // Decoding state and primitives, for decoders that drive the loop
  // themselves (hashes, the message content).
  // Reads the next header; false when fewer than 4 bytes are left.
  bool nextField();
  // Consumes the current field by its type code; an unknown type code
  // discards the rest of the object.
  void skipField();
  // Drops every byte left of the object being decoded.
  void discardRest();
  int fieldId() const { return fieldId_; }
  int fieldType() const { return fieldType_; }
  bool fieldTaken() const { return fieldTaken_; }
  void setFieldTaken() { fieldTaken_ = true; }
  int bytesLeft() const { return readLeft_; }
  // Takes a raw big-endian 32-bit number; discards the rest and answers
  // false when fewer than 4 bytes are left.
  bool takeRawInt(int32_t& value);
  // For decoders of long runs of string fields: when the next field is a
  // whole string field with id `id` (header, length and every byte
  // present), consumes it as the current, taken field and answers its
  // bytes (a view into the input); otherwise consumes nothing and answers
  // false, leaving that field to the decoding loop.
  bool takeNextString(int id, const char*& bytes, int& n);
  // Decodes `target` from the next n bytes (its fields, no version word)
  // and advances past them. A negative n, n beyond the bytes left or
  // nesting beyond kMaxNesting discards the rest and answers false.
  bool decodeNested(ZxPack& target, int32_t n);
  // The decoding budget left (see kBudgetPerByte; the largest number when
  // no decode is in progress), and its update by a decoder that charged a
  // run of items against a local copy.
  long long budgetLeft() const { return budget_ ? *budget_ : 0x7FFFFFFFFFFFFFFFLL; }
  void setBudgetLeft(long long left) {
    if (budget_) *budget_ = left;
  }
  // Charges the decoding budget (see kBudgetPerByte); false once it is spent.
  bool chargeDecode(long long bytes) {
    if (!budget_) return true;
    if (*budget_ < bytes) {
      *budget_ = 0;
      return false;
    }
    *budget_ -= bytes;
    return true;
  }

  // Scratch state for containers' decodeField(): 0 whenever a decoding
  // loop over this object starts.
  int decodeState_ = 0;

  // The node being read by decodeTextFields(); null outside fromText().
  ZxTextNode* textNode() const { return textNode_; }

  // Raw appends to the encoding buffer (n <= 0 or null does nothing).
  void appendBytes(const void* bytes, int n);
  void appendText(const char* text, int n);
  void appendTabs(int n);

 private:
  // Room for n more bytes (plus `extra` for a text NUL).
  bool reserve(int n, int extra) {
    return static_cast<long long>(used_) + n + extra <= capacity_ || grow(n, extra);
  }
  bool grow(int n, int extra);
  void putLongString(int id, const ZxString& value);
  void decodeBody(const unsigned char* bytes, int n, int nesting);
  static long long decodeBudget(int inputBytes) { return kBudgetBase + kBudgetPerByte * inputBytes; }
  void decodeTextNode(ZxTextNode* node);
  void writeText(int depth, bool trailingNewline);
  // Lends this object's buffer to `child`, which then appends in place.
  void lendBufferTo(ZxPack& child);
  void takeBufferBack(ZxPack& child);

  // Encoding buffer (owned).
  unsigned char* buffer_ = nullptr;
  int used_ = 0;
  int capacity_ = 0;
  // Decoding cursor into the caller's input (borrowed).
  const unsigned char* readPos_ = nullptr;
  int readLeft_ = 0;
  int nesting_ = 0;
  // The budget of the decode in progress, shared with nested objects
  // (borrowed; null outside a decode).
  long long* budget_ = nullptr;
  ZxTextNode* textNode_ = nullptr;
  int fieldId_ = 0;
  int fieldType_ = 0;
  bool fieldTaken_ = false;
  int depth_ = 0;
  bool encodeFailed_ = false;  // an append ran out of memory during this encoding
};

// The hottest writers and readers, inline.

inline void ZxPack::putInt(int id, int32_t value) {
  if (!reserve(8, 0)) return;
  unsigned char* p = buffer_ + used_;
  zxcoding::putBE16(p, static_cast<uint16_t>(id));
  zxcoding::putBE16(p + 2, static_cast<uint16_t>(kTypeInt));
  zxcoding::putBE32(p + 4, static_cast<uint32_t>(value));
  used_ += 8;
}

// A short text is moved as one fixed block of ZxString::kReadableBytes
// (every string's c_str() has that many readable bytes): the bytes past its
// length land beyond used_ and are overwritten by what follows.
inline void ZxPack::putString(int id, const ZxString& value) {
  const int n = value.length();
  if (n > ZxString::kReadableBytes) return putLongString(id, value);
  if (!reserve(8 + ZxString::kReadableBytes, 0)) return;
  unsigned char* p = buffer_ + used_;
  zxcoding::putBE16(p, static_cast<uint16_t>(id));
  zxcoding::putBE16(p + 2, static_cast<uint16_t>(kTypeString));
  zxcoding::putBE32(p + 4, static_cast<uint32_t>(n));
  std::memcpy(p + 8, value.c_str(), static_cast<size_t>(ZxString::kReadableBytes));
  used_ += 8 + n;
}

inline bool ZxPack::nextField() {
  if (readLeft_ < 4) return false;
  fieldId_ = zxcoding::toSigned16(zxcoding::getBE16(readPos_));
  fieldType_ = zxcoding::toSigned16(zxcoding::getBE16(readPos_ + 2));
  fieldTaken_ = false;
  readPos_ += 4;
  readLeft_ -= 4;
  return true;
}

inline bool ZxPack::takeRawInt(int32_t& value) {
  if (readLeft_ < 4) {
    discardRest();
    return false;
  }
  value = zxcoding::toSigned32(zxcoding::getBE32(readPos_));
  readPos_ += 4;
  readLeft_ -= 4;
  return true;
}

inline bool ZxPack::takeNextString(int id, const char*& bytes, int& n) {
  if (readLeft_ < 8 || zxcoding::toSigned16(zxcoding::getBE16(readPos_)) != id ||
      zxcoding::toSigned16(zxcoding::getBE16(readPos_ + 2)) != kTypeString)
    return false;
  const int32_t len = zxcoding::toSigned32(zxcoding::getBE32(readPos_ + 4));
  if (len < 0 || len > readLeft_ - 8) return false;
  bytes = reinterpret_cast<const char*>(readPos_ + 8);
  n = len;
  readPos_ += 8 + len;
  readLeft_ -= 8 + len;
  fieldId_ = id;
  fieldType_ = kTypeString;
  fieldTaken_ = true;
  return true;
}

inline void ZxPack::getInt(int id, int& target) {
  if (fieldTaken_ || fieldId_ != id || fieldType_ != kTypeInt) return;
  int32_t v;
  if (!takeRawInt(v)) return;
  target = v;
  fieldTaken_ = true;
}

inline void ZxPack::decodeBody(const unsigned char* bytes, int n, int nesting) {
  readPos_ = bytes;
  readLeft_ = n;
  nesting_ = nesting;
  decodeState_ = 0;
  while (nextField()) {
    decodeField();
    if (!fieldTaken_) skipField();
  }
  readPos_ = nullptr;
  readLeft_ = 0;
  fieldId_ = 0;
  fieldType_ = 0;
  fieldTaken_ = false;
}

inline bool ZxPack::decodeNested(ZxPack& target, int32_t n) {
  if (n < 0 || n > readLeft_ || nesting_ >= kMaxNesting || &target == this) {
    discardRest();
    return false;
  }
  long long* saved = target.budget_;
  target.budget_ = budget_;
  target.decodeBody(readPos_, n, nesting_ + 1);
  target.budget_ = saved;
  readPos_ += n;
  readLeft_ -= n;
  fieldTaken_ = true;
  return true;
}

inline void ZxPack::getObject(int id, ZxPack& target) {
  if (fieldTaken_ || fieldId_ != id || fieldType_ != kTypeObject) return;
  int32_t classNumber, n;
  if (!takeRawInt(classNumber)) return;
  if (classNumber != target.typeId()) return discardRest();
  if (!takeRawInt(n)) return;
  decodeNested(target, n);
}

inline void ZxPack::getString(int id, ZxString& target) {
  if (fieldTaken_ || fieldId_ != id || fieldType_ != kTypeString) return;
  int32_t n;
  if (!takeRawInt(n)) return;
  if (n < 0 || n > readLeft_) return discardRest();
  if (n > 0) target.assignFitted(reinterpret_cast<const char*>(readPos_), n);
  readPos_ += n;
  readLeft_ -= n;
  fieldTaken_ = true;
}
