// Reply checks and the last errors they leave.
#include "client/zx_reply_checks.h"

#include <cstdio>

#include "client/zx_last_error.h"

namespace zxreply {

Check checkContent(const ZxMessage& reply, int expected) {
  const ZxPack* content = reply.content();
  if (!content) return Check::kBlank;
  if (content->typeId() != reply.contentType() || content->typeId() != expected) return Check::kMismatch;
  return Check::kOk;
}

void setLastError(Check check, const ZxMessage& reply) {
  if (check == Check::kBlank) {
    lastError() = ZxErr(ZxErr::kReplyBlank);
  } else if (check == Check::kMismatch) {
    ZxErr error(ZxErr::kReplyMismatch);
    error.setValue("ID", ZxString(reply.contentType()));
    lastError() = error;
  }
}

void setLastErrorFromClient(const ZxClient& client) { lastError() = client.error(); }

void writeError(const ZxString& line) {
  std::fwrite(line.c_str(), 1, static_cast<size_t>(line.length()), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace zxreply
