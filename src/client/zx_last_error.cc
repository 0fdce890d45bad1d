// The process-wide last error and its filling from a reply.
#include "client/zx_last_error.h"

#include "client/zx_operation_guard.h"
#include "model/zx_error_record.h"
#include "message/zx_message.h"

ZxErr& lastError() {
  static ZxErr error;
  return error;
}

namespace {
// Constructs the last error while the module loads, so that its lifetime
// is the module's and not that of the first failing operation.
[[maybe_unused]] ZxErr& g_constructAtLoad = lastError();
}  // namespace

void fillErrorFromReply(ZxErr& target, const ZxMessage& reply) {
  const ZxPack* content = reply.content();
  if (const ZxErrorRecord* record = dynamic_cast<const ZxErrorRecord*>(content)) {
    target.setValue("ERROR", record->text());
    target.setCode(ZxErr::kFreeText);
  } else if (const ZxErr* error = dynamic_cast<const ZxErr*>(content)) {
    if (error != &target) target = *error;
  } else {
    target.setCode(ZxErr::kReplyUnspecified);
  }
}

void fillLastErrorFromReply(const ZxMessage& reply) { fillErrorFromReply(lastError(), reply); }

void setLastErrorText(const char* what) noexcept {
  ZxErr& error = lastError();
  error.setCode(ZxErr::kFreeText);
  try {
    error.setValue("ERROR", what);
  } catch (...) {
    // The text could not be stored: the code alone says "general error"
    // rather than a stale reason.
    error.setCode(ZxErr::kGeneral);
  }
}
