// Trigger text parts, trigger validity and the trigger string tokeniser.
#include "model/zx_trigger.h"

#include <new>

#include "model/zx_flags.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

ZxString ZxTriggerReader::next() {
  if (done_) return ZxString();
  const char* s = text_.c_str();
  int n = text_.length();
  int start = pos_;
  while (pos_ < n && s[pos_] != '-') ++pos_;
  ZxString part(s + start, pos_ - start);
  if (pos_ < n)
    ++pos_;  // past the "-"
  else
    done_ = true;
  return part;
}

ZxString ZxTriggerReader::rest() {
  if (done_) return ZxString();
  done_ = true;
  return ZxString(text_.c_str() + pos_, text_.length() - pos_);
}

// Only the second part is built as a string: texts without a "-" (words,
// parentheses) are rejected without allocating anything.
bool isValidTrigger(const ZxString& text) {
  const char* s = text.c_str();
  const int n = text.length();
  int start = 0;
  while (start < n && s[start] != '-') ++start;
  if (start >= n) return false;
  ++start;
  int end = start;
  while (end < n && s[end] != '-') ++end;
  return EventCategory::valueOf(ZxString(s + start, end - start)) != EventCategory::kUnknown;
}

namespace {
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

bool ZxTriggerTokenizer::next(ZxString& token) {
  const char* s = text_.c_str();
  const int n = text_.length();
  while (pos_ < n && isSeparator(s[pos_])) ++pos_;
  if (pos_ >= n) return false;
  const char c = s[pos_];
  if (c == '(' || c == ')') {
    token.assign(s + pos_, 1);
    ++pos_;
  } else if (c == '"' || c == '\'') {
    token.clear();
    ++pos_;
    while (pos_ < n && s[pos_] != c) {
      // Copy the run up to the next backslash or quote in one piece.
      int start = pos_;
      while (pos_ < n && s[pos_] != c && s[pos_] != '\\') ++pos_;
      token.append(s + start, pos_ - start);
      if (pos_ < n && s[pos_] == '\\') {
        ++pos_;
        if (pos_ >= n) break;  // a backslash at the very end stands for nothing
        token.append(s[pos_]);
        ++pos_;
      }
    }
    if (pos_ < n) ++pos_;  // past the closing quote
  } else {
    int start = pos_;
    while (pos_ < n && !isSeparator(s[pos_]) && s[pos_] != '(' && s[pos_] != ')' && s[pos_] != '"' &&
           s[pos_] != '\'')
      ++pos_;
    token.assign(s + start, pos_ - start);
  }
  return true;
}

void splitTriggerString(const ZxString& text, ZxStringList& tokens) {
  ZxTriggerTokenizer tokenizer(text);
  ZxString token;
  while (tokenizer.next(token))
    if (ZxString* copy = zxNew<ZxString>(token)) tokens.append(copy);
}
