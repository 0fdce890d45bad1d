// ZxConfigFile: the flat "key = value" configuration reader and writer, used
// for zx.conf, the per-user .zx.conf, job type job.conf files and, as one
// section each, the sections of a ZxConfigTree.
//
// Syntax read (blank characters are blank, tab and CR; LF ends a line):
//   - a line whose first non-blank character is "#" is a comment;
//   - "[" starts a section header that runs through the next "]"; headers are
//     skipped (one flat name space); text after "]" is read as ordinary text;
//   - any other line is "key = value": the key is everything before the first
//     "=" with blanks dropped; an LF or "#" before any "=" makes the line
//     define nothing (reading resumes just after it);
//   - after "=" and blanks the value is quoted ("..." or '...', to the same
//     quote or the end of the line, CR dropped), braced ({...} with nesting,
//     line breaks kept, CR dropped), or bare (up to "#", blank, tab, CR, LF
//     or a byte of 0x80 or above); the rest of the line is skipped;
//   - "=" at the very end of the text defines nothing; "=" followed by a line
//     end defines the empty value; a later pair replaces an earlier one.
//
// As a record (class 50, "config") it encodes its name (field 1, element
// "name") and its pairs as a nested string hash (field 2, element "values").
//
// Ownership: the object owns its pairs; get() lends a reference that stays
// valid until the pair is replaced or the object destroyed.
#pragma once

#include "model/zx_hash.h"
#include "model/zx_string_hash.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

class ZxConfigFile : public ZxPack {
 public:
  ZxConfigFile() = default;
  // Constructs and loads `path`; loaded() tells whether it could be read.
  explicit ZxConfigFile(const ZxString& path);
  ZxConfigFile(const ZxConfigFile& other);
  ZxConfigFile& operator=(const ZxConfigFile& other);
  ~ZxConfigFile() override = default;

  int typeId() const override { return 50; }
  const char* typeName() const override { return "config"; }
  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

  // Reads the file at `path` and adds its pairs (later pairs replace earlier
  // ones). True when the file was read; a missing, unreadable or non-regular
  // file leaves the pairs as they were.
  bool load(const ZxString& path);
  // Adds the pairs of `text` as if it were a file's content.
  void parse(const ZxString& text);
  bool loaded() const { return loaded_; }

  // The value of `key`, or an empty string when the key is missing.
  const ZxString& get(const ZxString& key) const;
  bool has(const ZxString& key) const { return values_.find(key) != nullptr; }
  // Stores `value` under `key`, replacing an earlier value.
  void set(const ZxString& key, const ZxString& value);
  // Replaces `out` by copies of every key, in the pairs' storage order.
  void keys(ZxStringList& out) const;
  int count() const { return values_.count(); }
  // The pairs themselves, for callers that walk them (in storage order).
  const ZxStringHash& values() const { return values_; }
  void clear() { values_.clear(); }

  // The name of the object when it is a section of a ZxConfigTree.
  const ZxString& name() const { return name_; }
  void setName(const ZxString& name) { name_ = name; }

  // Appends "key = value\n" with the value written so that it reads back the
  // same: braced when it holds a line break, double-quoted when it holds a
  // blank or tab, bare otherwise. Values that would not read back in those
  // forms (a "#", a byte of 0x80 or above, a leading quote or brace, a quote
  // together with a blank) take the first quoting that keeps them whole.
  static void appendPair(ZxString& out, const ZxString& key, const ZxString& value);
  // Every pair, one appendPair() line each, in storage order.
  ZxString listing() const;

  // The text of the template file `templatePath` with this object's values
  // merged in:
  //   - the template is cut into lines at LFs outside braces;
  //   - in each line, runs that start with a lower-case letter collect the
  //     characters up to "=" or "." (blanks and tabs dropped); a run ended by
  //     "=" whose name is a key here replaces the line by that pair, the
  //     first time only; a later line for the same key becomes a comment so
  //     that it cannot override the value written above; a run ended by "="
  //     naming no key here turns a non-comment line into a comment ("#" and
  //     the line); a run ended otherwise ends the line's scan;
  //   - other lines are copied unchanged, except the marker line
  //     "# these are not included in the template", which is dropped;
  //   - keys not written go last, after that marker line, in sorted order,
  //     followed by an empty line.
  // A missing template counts as an empty one.
  ZxString rewrite(const ZxString& templatePath) const;
  ZxString rewriteText(const ZxString& templateText) const;
  // Writes rewrite(templatePath) over `targetPath`; true when it was written.
  bool writeRewritten(const ZxString& templatePath, const ZxString& targetPath) const;

 private:
  ZxStringHash values_;
  ZxString name_;
  bool loaded_ = false;
  ZxString empty_;
};

// Sections of a configuration tree by name (class 51, "config_list"; the
// hash owns its sections).
class ZxConfigHash : public ZxHash<ZxConfigFile> {
 public:
  int typeId() const override { return 51; }
  const char* typeName() const override { return "config_list"; }
};
