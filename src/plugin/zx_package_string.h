// Package strings: the text in which MEL scripts pass nested data to the
// plug-in. One level of a package string is a scalar (the text itself), an
// array "(a b c)" or a hash "{key value key value}"; every element is itself
// an unparsed package string. This file holds element quoting, the one-level
// writer and parser, and the element reader that the parser and the package
// tree share.
//
// Ownership: every function writes into objects the caller owns; nothing is
// kept between calls, so all of it is reentrant.
#pragma once

#include "util/zx_string.h"
#include "model/zx_string_list.h"

// Appends the quoted form of the n bytes at `bytes` to `out`: tab, line feed,
// carriage return, double quote and backslash are escaped with a backslash,
// and an element that holds a blank or is empty is enclosed in double quotes.
void appendQuotedElement(const char* bytes, int n, ZxString& out);
// Sets `out` to the quoted form of `text`.
void quoteElement(const ZxString& text, ZxString& out);

// Appends the one-level writing of `list` (type word first, then the
// elements) to `out`. An empty list writes nothing.
void appendPackage(const ZxStringList& list, ZxString& out);
// Sets `text` to the one-level writing of `list`.
void writePackage(const ZxStringList& list, ZxString& text);

// Replaces the contents of `list` with one level of `text`: the type word
// ("scalar", "array" or "hash") followed by the elements, unescaped.
void parsePackage(const ZxString& text, ZxStringList& list);

enum class PackageKind { kScalar, kArray, kHash };

// Reads the elements of one level of a package string, one at a time.
// An element comes back as a view: into the text itself when the element
// holds no escape, otherwise into the reader's own buffer. A view stays
// valid until the next call of next() or the reader's destruction; the text
// must outlive the reader and not change while it is read.
class PackageElementReader {
 public:
  PackageElementReader(const char* bytes, int n);
  PackageElementReader(const PackageElementReader&) = delete;
  PackageElementReader& operator=(const PackageElementReader&) = delete;

  PackageKind kind() const { return kind_; }
  // The next element; false when the level has no more.
  bool next(const char*& bytes, int& n);

 private:
  void skipBlanks();
  void readToken(const char*& bytes, int& n);

  const char* text_;
  int length_;
  PackageKind kind_ = PackageKind::kScalar;
  int pos_ = 1;
  int end_ = 0;  // one past the inner part: the last character is never read
  bool started_ = false;
  ZxString scratch_;  // unescaped copy of the current element, when it needs one
};
