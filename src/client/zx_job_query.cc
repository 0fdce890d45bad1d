// queryJobs(): the request and the reading of the answer.
#include "client/zx_job_query.h"

#include "client/zx_client_overrides.h"
#include "client/zx_last_error.h"
#include "client/zx_move_items.h"
#include "client/zx_operation_guard.h"
#include "client/zx_reply_checks.h"
#include "net/zx_client.h"
#include "net/zx_request.h"

namespace {
constexpr int kQueryRequest = 100;
constexpr int kRefusal = 4;
constexpr int kJobListClass = 5;
}  // namespace

bool queryJobs(ZxQuery& query, ZxJobList& jobs) {
  return guardedOperation([&] {
    ZxClient client;
    applyOverrides(client);
    ZxRequest request(kQueryRequest, &query);
    ZxMessage reply;
    if (!client.callSupervisor(request.message(), reply)) {
      zxreply::writeError("ERROR: unable to contact supervisor.");
      zxreply::setLastErrorFromClient(client);
      return false;
    }
    if (reply.tag() == kRefusal) {
      fillLastErrorFromReply(reply);
      return false;
    }
    zxreply::Check check = zxreply::Check::kOk;
    ZxJobList* answer = zxreply::contentAs<ZxJobList>(reply, kJobListClass, &check);
    if (!answer) {
      if (check == zxreply::Check::kBlank)
        zxreply::writeError("ERROR: data returned blank");
      else
        zxreply::writeError(
            ZxString("ERROR: list object returned invalid. - ").appendInt(reply.contentType()));
      zxreply::setLastError(check, reply);
      return false;
    }
    moveListItems<ZxJobList, ZxJob>(*answer, jobs);
    return true;
  });
}
