// Trigger text parts, trigger validity and the trigger string tokeniser.
#include "model/zx_trigger.h"

#include <new>

#include "model/zx_flags.h"

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

bool isValidTrigger(const ZxString& text) {
  ZxTriggerReader reader(text);
  reader.next();
  return EventCategory::valueOf(reader.next()) != EventCategory::kUnknown;
}

namespace {
void addToken(ZxStringList& tokens, const char* bytes, int n) {
  if (ZxString* token = new (std::nothrow) ZxString(bytes, n)) tokens.append(token);
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

void splitTriggerString(const ZxString& text, ZxStringList& tokens) {
  const char* s = text.c_str();
  const int n = text.length();
  int i = 0;
  while (i < n) {
    char c = s[i];
    if (isSeparator(c)) {
      ++i;
    } else if (c == '(' || c == ')') {
      addToken(tokens, s + i, 1);
      ++i;
    } else if (c == '"' || c == '\'') {
      const char quote = c;
      ZxString token;
      ++i;
      while (i < n && s[i] != quote) {
        if (s[i] == '\\') {
          ++i;
          if (i >= n) break;  // a backslash at the very end stands for nothing
        }
        token.append(s[i]);
        ++i;
      }
      if (i < n) ++i;  // past the closing quote
      addToken(tokens, token.c_str(), token.length());
    } else {
      int start = i;
      while (i < n && !isSeparator(s[i]) && s[i] != '(' && s[i] != ')' && s[i] != '"' && s[i] != '\'') ++i;
      addToken(tokens, s + start, i - start);
    }
  }
}
