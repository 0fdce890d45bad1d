// MStatus: the status code every Maya API call and command returns.
// Part of the Maya API stand-in used to build and test the plug-in without Maya.
#pragma once

class MString;

class MStatus {
 public:
  enum MStatusCode {
    kSuccess = 0,
    kFailure = 1,
    kInsufficientMemory = 2,
    kInvalidParameter = 3,
    kLicenseFailure = 4,
    kUnknownParameter = 5,
    kNotImplemented = 6,
    kNotFound = 7,
    kEndOfFile = 8,
  };

  MStatus() : code_(kSuccess) {}
  MStatus(MStatusCode code) : code_(code) {}  // NOLINT: implicit by design

  MStatusCode statusCode() const { return code_; }
  bool error() const { return code_ != kSuccess; }
  void clear() { code_ = kSuccess; }
  explicit operator bool() const { return code_ == kSuccess; }
  bool operator==(const MStatus& o) const { return code_ == o.code_; }
  bool operator!=(const MStatus& o) const { return code_ != o.code_; }
  bool operator==(MStatusCode c) const { return code_ == c; }
  bool operator!=(MStatusCode c) const { return code_ != c; }

 private:
  MStatusCode code_;
};
