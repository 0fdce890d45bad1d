// submit(): completion, the request and the reading of the answer.
#include "client/zx_submit.h"

#include "client/zx_client_overrides.h"
#include "client/zx_job_completion.h"
#include "client/zx_last_error.h"
#include "client/zx_move_items.h"
#include "client/zx_operation_guard.h"
#include "client/zx_reply_checks.h"
#include "config/zx_env_snapshot.h"
#include "net/zx_client.h"
#include "net/zx_request.h"

namespace {
constexpr int kSubmitRequest = 200;
constexpr int kJobListClass = 5;
}  // namespace

bool submit(ZxJobList& jobs, ZxJobList& accepted) {
  return guardedOperation([&] {
    ZxClient client;
    applyOverrides(client);
    const ZxEnvSnapshot env;
    const ZxString templatePath = submitTemplatePath(env);
    const ZxString& parent = env.get("ZXJOBID");
    const ZxString& group = env.get("ZXPGRPID");
    ZxJobTypeMemo types;
    for (int i = 0; i < jobs.count(); ++i) {
      ZxJob* job = jobs.get(i);
      if (!job) continue;
      if (!parent.isEmpty()) job->setPid(parent.toInt());
      if (!group.isEmpty()) job->setPgrp(group.toInt());
      completeJob(*job, templatePath, &types);
    }

    ZxRequest request(kSubmitRequest, &jobs);
    ZxMessage reply;
    if (!client.callSupervisor(request.message(), reply)) {
      zxreply::setLastErrorFromClient(client);
      return false;
    }
    if (reply.tag() == 3 || reply.tag() == 4) {
      fillLastErrorFromReply(reply);
      return false;
    }
    zxreply::Check check = zxreply::Check::kOk;
    ZxJobList* answer = zxreply::contentAs<ZxJobList>(reply, kJobListClass, &check);
    if (!answer) {
      zxreply::setLastError(check, reply);
      return false;
    }
    moveListItems<ZxJobList, ZxJob>(*answer, accepted);
    return true;
  });
}
