// ZxPack: buffer growth, the binary and text field writers and readers, the
// decoding loop, and the file forms.
#include "serial/zx_pack.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "os/zx_os_files.h"
#include "serial/zx_coding.h"
#include "serial/zx_text_node.h"
#include "serial/zx_text_parser.h"
#include "util/zx_out_of_memory.h"

namespace {
ZxPack::JobTextReader g_jobTextReader = nullptr;

// A string text converted like atoi, but clamped instead of overflowing.
int textToInt(const ZxString& s) {
  long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}
}  // namespace

ZxPack::~ZxPack() { delete[] buffer_; }

void ZxPack::setJobTextReader(JobTextReader reader) { g_jobTextReader = reader; }

void ZxPack::releaseBuffer() {
  delete[] buffer_;
  buffer_ = nullptr;
  used_ = 0;
  capacity_ = 0;
}

// ---- buffer ---------------------------------------------------------------

bool ZxPack::grow(int n, int extra) {
  long long needed = static_cast<long long>(used_) + n;
  if (needed + extra <= capacity_) return true;
  // Fourfold growth, but only half again past 1 MiB, so that a large
  // encoded form never asks for four times its size.
  long long size = needed <= (1LL << 20) ? 4 * needed + 16 + extra : needed + needed / 2 + 16 + extra;
  if (size > INT_MAX) size = INT_MAX;
  unsigned char* fresh = nullptr;
  if (needed + extra <= size)
    fresh = zxNewArray<unsigned char>(static_cast<size_t>(size));
  else
    ZxOutOfMemory::note();  // more than an encoded form can hold
  if (!fresh) {
    encodeFailed_ = true;  // the form would be incomplete: pack() and toText() say so
    return false;
  }
  if (used_ > 0) std::memcpy(fresh, buffer_, static_cast<size_t>(used_));
  delete[] buffer_;
  buffer_ = fresh;
  capacity_ = static_cast<int>(size);
  return true;
}

void ZxPack::appendBytes(const void* bytes, int n) {
  if (!bytes || n <= 0 || !reserve(n, 0)) return;
  std::memcpy(buffer_ + used_, bytes, static_cast<size_t>(n));
  used_ += n;
}

void ZxPack::appendText(const char* text, int n) {
  if (!text || n <= 0 || !reserve(n, 4)) return;
  std::memcpy(buffer_ + used_, text, static_cast<size_t>(n));
  used_ += n;
  buffer_[used_] = 0;
}

void ZxPack::appendTabs(int n) {
  static const char kTabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
  while (n > 0) {
    int k = n < 16 ? n : 16;
    appendText(kTabs, k);
    n -= k;
  }
}

void ZxPack::lendBufferTo(ZxPack& child) {
  child.buffer_ = buffer_;
  child.used_ = used_;
  child.capacity_ = capacity_;
  child.encodeFailed_ = encodeFailed_;
  buffer_ = nullptr;
  used_ = 0;
  capacity_ = 0;
}

void ZxPack::takeBufferBack(ZxPack& child) {
  buffer_ = child.buffer_;
  used_ = child.used_;
  capacity_ = child.capacity_;
  encodeFailed_ = child.encodeFailed_;
  child.buffer_ = nullptr;
  child.used_ = 0;
  child.capacity_ = 0;
}

// ---- binary writers ----------------------------------------------------------

namespace {
inline void header(unsigned char* p, int id, int type) {
  zxcoding::putBE16(p, static_cast<uint16_t>(id));
  zxcoding::putBE16(p + 2, static_cast<uint16_t>(type));
}
}  // namespace

void ZxPack::putChar(int id, char value) {
  if (!reserve(5, 0)) return;
  header(buffer_ + used_, id, kTypeChar);
  buffer_[used_ + 4] = static_cast<unsigned char>(value);
  used_ += 5;
}

void ZxPack::putBool(int id, bool value) {
  if (!reserve(5, 0)) return;
  header(buffer_ + used_, id, kTypeBool);
  buffer_[used_ + 4] = value ? 1 : 0;
  used_ += 5;
}

// Texts longer than ZxString::kReadableBytes (putString() writes the
// shorter ones inline).
void ZxPack::putLongString(int id, const ZxString& value) {
  int n = value.length();
  if (n > INT_MAX - 16) {
    encodeFailed_ = true;  // no form can hold it
    return;
  }
  if (!reserve(8 + n, 0)) return;
  header(buffer_ + used_, id, kTypeString);
  zxcoding::putBE32(buffer_ + used_ + 4, static_cast<uint32_t>(n));
  std::memcpy(buffer_ + used_ + 8, value.c_str(), static_cast<size_t>(n));
  used_ += 8 + n;
}

// The nested object appends its fields directly behind the header in this
// object's buffer (the buffer is lent to it for the call), and the count is
// filled in afterwards: no bytes are copied per nesting level.
void ZxPack::putObject(int id, ZxPack& object) {
  if (&object == this || !reserve(12, 0)) return;
  header(buffer_ + used_, id, kTypeObject);
  zxcoding::putBE32(buffer_ + used_ + 4, static_cast<uint32_t>(object.typeId()));
  int countAt = used_ + 8;
  used_ += 12;
  unsigned char* ownBuffer = object.buffer_;
  int ownUsed = object.used_, ownCapacity = object.capacity_;
  lendBufferTo(object);
  object.encodeFields();
  takeBufferBack(object);
  object.buffer_ = ownBuffer;
  object.used_ = ownUsed;
  object.capacity_ = ownCapacity;
  zxcoding::putBE32(buffer_ + countAt, static_cast<uint32_t>(used_ - countAt - 4));
}

// ---- top level ---------------------------------------------------------------

int ZxPack::pack() {
  used_ = 0;
  encodeFailed_ = false;
  unsigned char version[4];
  zxcoding::putBE32(version, kVersion);
  appendBytes(version, 4);
  if (used_ != 4) return 0;
  encodeFields();
  if (encodeFailed_) used_ = 0;
  return used_;
}

int ZxPack::unpack(const void* bytes, int n) {
  releaseBuffer();
  if (!bytes || n < 4) return kTooShort;
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  if (zxcoding::getBE32(p) != static_cast<uint32_t>(kVersion)) return kBadVersion;
  if (n == 4) return kNoFields;
  long long budget = decodeBudget(n);
  budget_ = &budget;
  decodeBody(p + 4, n - 4, 0);
  budget_ = nullptr;
  return kOk;
}

// ---- decoding loop -----------------------------------------------------------

void ZxPack::discardRest() {
  if (readPos_) readPos_ += readLeft_;
  readLeft_ = 0;
}

void ZxPack::skipField() {
  int32_t n = 0;
  switch (fieldType_) {
    case kTypeInt:
      if (readLeft_ < 4) break;
      readPos_ += 4;
      readLeft_ -= 4;
      return;
    case kTypeObject:
      // Class number and count; the class is not checked when skipping.
      if (readLeft_ < 8) break;
      n = zxcoding::toSigned32(zxcoding::getBE32(readPos_ + 4));
      if (n < 0 || n > readLeft_ - 8) break;
      readPos_ += 8 + n;
      readLeft_ -= 8 + n;
      return;
    case kTypeString:
      if (readLeft_ < 4) break;
      n = zxcoding::toSigned32(zxcoding::getBE32(readPos_));
      if (n < 0 || n > readLeft_ - 4) break;
      readPos_ += 4 + n;
      readLeft_ -= 4 + n;
      return;
    case kTypeChar:
    case kTypeBool:
      if (readLeft_ < 1) break;
      readPos_ += 1;
      readLeft_ -= 1;
      return;
    default:
      break;  // unknown type code: the rest of the object cannot be framed
  }
  discardRest();
}

// ---- binary readers ------------------------------------------------------------

void ZxPack::getChar(int id, char& target) {
  if (fieldTaken_ || fieldId_ != id || fieldType_ != kTypeChar) return;
  if (readLeft_ < 1) return discardRest();
  target = static_cast<char>(*readPos_);
  ++readPos_;
  --readLeft_;
  fieldTaken_ = true;
}

void ZxPack::getBool(int id, bool& target) {
  if (fieldTaken_ || fieldId_ != id || fieldType_ != kTypeBool) return;
  if (readLeft_ < 1) return discardRest();
  target = *readPos_ != 0;
  ++readPos_;
  --readLeft_;
  fieldTaken_ = true;
}

// ---- text writers ------------------------------------------------------------------

namespace {
struct Piece {
  const char* p;
  int n;
};
inline Piece piece(const char* s) { return Piece{s, static_cast<int>(std::strlen(s))}; }
}  // namespace

void ZxPack::writeText(int depth, bool trailingNewline) {
  appendTabs(depth);
  appendText("<object type = '", 16);
  Piece name = piece(typeName());
  appendText(name.p, name.n);
  appendText("'>\n", 3);
  depth_ = depth + 1;
  encodeTextFields();
  appendTabs(depth);
  appendText("</object>\n", trailingNewline ? 10 : 9);
}

const char* ZxPack::toText() {
  used_ = 0;
  encodeFailed_ = false;
  appendText("<version>1</version>\n", 21);
  writeText(0, false);
  if (encodeFailed_) used_ = 0;
  if (!buffer_ && !reserve(0, 4)) return "";
  buffer_[used_] = 0;
  return reinterpret_cast<const char*>(buffer_);
}

namespace {
// "<name>" value "</name>\n" after the tabs, for the scalar writers.
}  // namespace

void ZxPack::putTextInt(const char* name, int value) {
  char digits[16];
  int n = std::snprintf(digits, sizeof digits, "%d", value);
  Piece nm = piece(name);
  appendTabs(depth_);
  appendText("<", 1);
  appendText(nm.p, nm.n);
  appendText(">", 1);
  appendText(digits, n);
  appendText("</", 2);
  appendText(nm.p, nm.n);
  appendText(">\n", 2);
}

// The character's code in decimal, so that every byte value survives the
// text form; getTextChar() reads such a number back.
void ZxPack::putTextChar(const char* name, char value) { putTextInt(name, static_cast<signed char>(value)); }

void ZxPack::putTextBool(const char* name, bool value) { putTextInt(name, value ? 1 : 0); }

// "&" and "<" are written as entities: a bare "<" would make the text
// unreadable. ">" is escaped only after "]]", the one place XML forbids it.
void ZxPack::putTextString(const char* name, const ZxString& value) {
  Piece nm = piece(name);
  appendTabs(depth_);
  appendText("<", 1);
  appendText(nm.p, nm.n);
  appendText(">", 1);
  const char* s = value.c_str();
  int n = value.length();
  int run = 0;
  for (int i = 0; i < n; ++i) {
    const char* entity = nullptr;
    if (s[i] == '&')
      entity = "&amp;";
    else if (s[i] == '<')
      entity = "&lt;";
    else if (s[i] == '>' && i >= 2 && s[i - 1] == ']' && s[i - 2] == ']')
      entity = "&gt;";
    if (!entity) continue;
    appendText(s + run, i - run);
    appendText(entity, static_cast<int>(std::strlen(entity)));
    run = i + 1;
  }
  appendText(s + run, n - run);
  appendText("</", 2);
  appendText(nm.p, nm.n);
  appendText(">\n", 2);
}

// As putObject(): the nested object writes its text in place in this
// object's buffer.
void ZxPack::putTextObject(const char* name, ZxPack& object) {
  if (&object == this) return;
  Piece nm = piece(name);
  int d = depth_;
  appendTabs(d);
  appendText("<", 1);
  appendText(nm.p, nm.n);
  appendText(">\n", 2);
  unsigned char* ownBuffer = object.buffer_;
  int ownUsed = object.used_, ownCapacity = object.capacity_;
  lendBufferTo(object);
  object.writeText(d + 1, true);
  takeBufferBack(object);
  object.buffer_ = ownBuffer;
  object.used_ = ownUsed;
  object.capacity_ = ownCapacity;
  appendTabs(d);
  appendText("</", 2);
  appendText(nm.p, nm.n);
  appendText(">\n", 2);
}

// ---- text readers ------------------------------------------------------------------

int ZxPack::fromText(const char* text, int n) {
  int result = kNoParser;
  std::unique_ptr<ZxTextNode> root = zxtext::parse(text, n, kMaxNesting, &result);
  if (!root) return result;
  const ZxString* version = root->value("version");
  if (!version) return kNoVersion;
  if (textToInt(*version) != kVersion) return kBadVersion;
  if (ZxTextNode* object = root->child("undef_obj")) {
    long long budget = decodeBudget(n);
    budget_ = &budget;
    decodeTextNode(object);
    budget_ = nullptr;
  }
  return kOk;
}

void ZxPack::decodeTextNode(ZxTextNode* node) {
  ZxTextNode* saved = textNode_;
  textNode_ = node;
  decodeTextFields();
  textNode_ = saved;
}

void ZxPack::getTextInt(const char* name, int& target) {
  if (!textNode_) return;
  if (const ZxString* v = textNode_->value(name)) target = textToInt(*v);
}

// A decimal code as putTextChar() writes it; any other non-empty text
// gives its first character.
void ZxPack::getTextChar(const char* name, char& target) {
  if (!textNode_) return;
  const ZxString* v = textNode_->value(name);
  if (!v || v->isEmpty()) return;
  if (v->isInteger())
    target = static_cast<char>(static_cast<unsigned char>(textToInt(*v) & 0xFF));
  else
    target = v->charAt(0);
}

void ZxPack::getTextString(const char* name, ZxString& target) {
  if (!textNode_) return;
  if (const ZxString* v = textNode_->value(name)) target.assign(*v);
}

void ZxPack::getTextBool(const char* name, bool& target) {
  if (!textNode_) return;
  if (const ZxString* v = textNode_->value(name)) target = textToInt(*v) != 0;
}

void ZxPack::getTextObject(const char* name, ZxPack& target) {
  if (!textNode_ || &target == this) return;
  if (ZxTextNode* node = textNode_->child(name)) {
    long long* saved = target.budget_;
    target.budget_ = budget_;
    target.decodeTextNode(node);
    target.budget_ = saved;
  }
}

bool ZxPack::hasTextName(const char* name) const {
  return textNode_ && (textNode_->value(name) || textNode_->child(name));
}

// ---- files ------------------------------------------------------------------------

int ZxPack::writeFile(const ZxString& path, int form) {
  if (form == kFormText)
    toText();
  else if (pack() == 0)
    return 0;
  if (used_ <= 0) return 0;
  // Through the OS layer: regular files only, replaced atomically.
  if (!zxos::writeFile(path, reinterpret_cast<const char*>(buffer_), used_)) return 0;
  return used_;
}

int ZxPack::readFile(const ZxString& path, int form) {
  if (form == kFormJob) {
    int n = readFile(path, kFormBinary);
    if (n > 0) return n;
    if (g_jobTextReader) return g_jobTextReader(*this, path);
    return readFile(path, kFormText);
  }
  ZxString content;
  if (!zxos::readFile(path, content)) return 0;
  if (form == kFormText) {
    ZxString wrapped("<pack>\n");
    wrapped.append(content);
    wrapped.append("\n</pack>");
    if (wrapped.length() != content.length() + 15) return 0;
    return fromText(wrapped.c_str(), wrapped.length()) == kOk ? wrapped.length() : 0;
  }
  return unpack(content.c_str(), content.length()) == kOk ? content.length() : 0;
}
