// MString: Maya's text type (a byte string, NUL-terminated, with explicit length).
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

#include <string>

class MString {
 public:
  MString() = default;
  MString(const char* text) : s_(text ? text : "") {}  // NOLINT: implicit as in Maya
  MString(const char* bytes, int length)
      : s_(bytes && length > 0 ? std::string(bytes, length) : std::string()) {}
  MString(const std::string& s) : s_(s) {}  // NOLINT: convenience for hosts

  const char* asChar() const { return s_.c_str(); }
  unsigned int length() const { return static_cast<unsigned int>(s_.size()); }
  unsigned int numChars() const { return length(); }
  bool isInt() const;
  int asInt() const;

  MString& operator=(const char* text) {
    s_ = text ? text : "";
    return *this;
  }
  MString& operator+=(const MString& o) {
    s_ += o.s_;
    return *this;
  }
  MString& operator+=(const char* text) {
    if (text) s_ += text;
    return *this;
  }
  MString operator+(const MString& o) const { return MString(s_ + o.s_); }
  MString operator+(const char* text) const { return MString(s_ + (text ? text : "")); }
  bool operator==(const MString& o) const { return s_ == o.s_; }
  bool operator!=(const MString& o) const { return s_ != o.s_; }
  bool operator==(const char* text) const { return s_ == (text ? text : ""); }
  bool operator!=(const char* text) const { return !(*this == text); }

  // Host-side access to the bytes; not used by the plug-in.
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};
