// The checks the client operations make on a supervisor's answer before
// they read it, and the last error each failed check leaves.
//
// A reply declares its content's class (content_type); the content itself
// was made from the class number in the bytes. An operation reads a
// content only when it is there, matches its declaration and is the class
// the operation expects, so a supervisor that sends the wrong record (or
// says one thing and sends another) is refused instead of misread.
#pragma once

#include "message/zx_message.h"
#include "net/zx_client.h"

namespace zxreply {

enum class Check { kOk, kBlank, kMismatch };

// kBlank without content; kMismatch when the content does not match the
// declared content_type or is not of class `expected`.
Check checkContent(const ZxMessage& reply, int expected);

// The content as a T when checkContent() passes and it is one; null
// otherwise, with the failed check in *check.
template <class T>
T* contentAs(const ZxMessage& reply, int expected, Check* check) {
  *check = checkContent(reply, expected);
  if (*check != Check::kOk) return nullptr;
  T* typed = dynamic_cast<T*>(reply.content());
  if (!typed) *check = Check::kMismatch;
  return typed;
}

// The last error for a failed check: 2052 for kBlank, 2053 with the value
// ID set to the declared content type for kMismatch.
void setLastError(Check check, const ZxMessage& reply);

// The last error after a route that failed: the client context's
// transport error.
void setLastErrorFromClient(const ZxClient& client);

// Writes `line` and a line end to standard error.
void writeError(const ZxString& line);

}  // namespace zxreply
