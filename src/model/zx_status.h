// ZxStatus: the record that carries one status code of a job, subjob or
// work item (see StatusCode in model/zx_flags.h), with its name and the
// tests on the code. Bit 0x100 marks the active states; codes without it are
// done. Copying copies the code; the record owns nothing else.
//
// Packable as class 2, "status": one integer field, the code, with id 1 in
// the binary form and element "value" in the text form.
#pragma once

#include <ostream>

#include "model/zx_flags.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxStatus : public ZxPack {
 public:
  ZxStatus() = default;
  explicit ZxStatus(int code) : code_(code) {}
  // The code of `name` (0, "none", for a name that is no status).
  explicit ZxStatus(const ZxString& name) : code_(StatusCode::valueOf(name)) {}
  explicit ZxStatus(const char* name) : ZxStatus(ZxString(name)) {}
  ZxStatus(const ZxStatus& other) = default;
  ZxStatus& operator=(const ZxStatus& other) = default;
  ~ZxStatus() override = default;

  int typeId() const override { return 2; }
  void encodeFields() override { putInt(1, code_); }
  void decodeField() override { getInt(1, code_); }
  const char* typeName() const override { return "status"; }
  void encodeTextFields() override { putTextInt("value", code_); }
  void decodeTextFields() override { getTextInt("value", code_); }

  int code() const { return code_; }
  void setCode(int code) { code_ = code; }
  void setName(const ZxString& name) { code_ = StatusCode::valueOf(name); }
  // The code's name; "none" for a code outside the table.
  const char* name() const { return StatusCode::nameOf(code_); }
  // Appends the name to `out` and returns `out`.
  ZxString& appendTo(ZxString& out) const { return out.append(name()); }

  bool isNone() const { return code_ == StatusCode::kNone; }
  bool isSaved() const { return code_ == StatusCode::kSaved; }
  bool isComplete() const { return code_ == StatusCode::kComplete; }
  bool isWarning() const { return code_ == StatusCode::kWarning; }
  bool isFailed() const { return code_ == StatusCode::kFailed; }
  bool isKilled() const { return code_ == StatusCode::kKilled; }
  bool isBlocked() const { return code_ == StatusCode::kBlocked; }
  bool isPaused() const { return code_ == StatusCode::kPaused; }
  bool isSuspended() const { return code_ == StatusCode::kSuspended; }
  bool isPending() const { return code_ == StatusCode::kPending; }
  bool isWaiting() const { return code_ == StatusCode::kWaiting; }
  bool isBadlogin() const { return code_ == StatusCode::kBadlogin; }
  bool isRunning() const { return code_ == StatusCode::kRunning; }

  bool isActive() const { return (code_ & StatusCode::kActiveBit) != 0; }
  bool isDone() const { return !isActive(); }
  // Running, waiting or suspended: a worker holds the item.
  bool isAssigned() const { return isRunning() || isWaiting() || isSuspended(); }

  // True when `name` is this status's own name, or the class name "done",
  // "active" or "assigned" and the status is in that class.
  bool matches(const ZxString& name) const;

  bool operator==(const ZxStatus& other) const { return code_ == other.code_; }
  bool operator!=(const ZxStatus& other) const { return code_ != other.code_; }

 private:
  int code_ = StatusCode::kNone;
};

// Writes the status's name.
std::ostream& operator<<(std::ostream& os, const ZxStatus& status);
