// Trigger texts and trigger strings of callbacks.
//
// A trigger text names one event, its parts separated by "-":
// "timeout-subjob-self-*" is the event "timeout" of category "subjob" on
// the job "self", any subjob. A trigger string is a list of trigger texts
// and connective words, separated by white space, with "(" and ")" as
// tokens of their own and quoted runs kept whole.
#pragma once

#include "util/zx_string.h"
#include "model/zx_string_list.h"

// Reads the "-"-separated parts of a trigger text one after the other.
// The reader borrows the text, which must outlive it.
class ZxTriggerReader {
 public:
  explicit ZxTriggerReader(const ZxString& text) : text_(text) {}
  // A temporary would be gone before the first read.
  explicit ZxTriggerReader(ZxString&&) = delete;

  // The characters up to the next "-" or the end; the reader moves past
  // that "-". Once the text is used up, every further part is "".
  ZxString next();
  // Everything not yet read, "-" characters included; "" once used up.
  ZxString rest();

 private:
  const ZxString& text_;
  int pos_ = 0;
  bool done_ = false;
};

// True when the second "-"-separated part of `text` is an event category
// name ("job", "subjob", "work", ...; "unknown" is not one).
bool isValidTrigger(const ZxString& text);

// Reads the tokens of a trigger string one after the other:
// - blanks, tabs, carriage returns and line feeds separate tokens;
// - "(" and ")" are tokens of their own;
// - a run in double or single quotes is one token without its quotes; a
//   backslash inside it takes the next character literally. A quote that
//   is never closed runs to the end of the text, and a quote met inside a
//   word ends that word and starts a quoted token.
// Every character is looked at once: linear in the text's length whatever
// it holds. The tokenizer borrows the text, which must outlive it.
class ZxTriggerTokenizer {
 public:
  explicit ZxTriggerTokenizer(const ZxString& text) : text_(text) {}
  explicit ZxTriggerTokenizer(ZxString&&) = delete;

  // Stores the next token in `token`; false (token unchanged) at the end.
  bool next(ZxString& token);

 private:
  const ZxString& text_;
  int pos_ = 0;
};

// Appends every token of `text` to `tokens`, which owns the new strings.
void splitTriggerString(const ZxString& text, ZxStringList& tokens);
