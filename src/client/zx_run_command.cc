// runCommand(): the code check, the bump form, and the reading of new and
// old answers.
#include "client/zx_run_command.h"

#include "client/zx_client_overrides.h"
#include "client/zx_command_code.h"
#include "client/zx_last_error.h"
#include "client/zx_move_items.h"
#include "client/zx_operation_guard.h"
#include "client/zx_reply_checks.h"
#include "model/zx_bump_command.h"
#include "model/zx_job_id_list.h"
#include "model/zx_work_id.h"
#include "net/zx_client.h"
#include "net/zx_request.h"
#include "util/zx_log.h"

namespace {

// The last protocol version whose supervisors answer with bare lists.
constexpr int kLastBareListVersion = 529;
constexpr int kResultClass = 188;
constexpr int kJobIdListClass = 18;
constexpr int kWorkIdListClass = 60;

void reportInvalid(zxreply::Check check, const ZxMessage& reply) {
  if (check == zxreply::Check::kBlank)
    zxreply::writeError("ERROR: data returned blank");
  else
    zxreply::writeError(ZxString("ERROR: report object returned invalid. - ").appendInt(reply.contentType()));
  zxreply::setLastError(check, reply);
}

// An old supervisor's bare list of class `Class`, moved into `target`.
template <class List, class Item>
bool takeBareList(const ZxMessage& reply, int listClass, List& target) {
  zxreply::Check check = zxreply::Check::kOk;
  List* list = zxreply::contentAs<List>(reply, listClass, &check);
  if (!list) {
    reportInvalid(check, reply);
    return false;
  }
  moveListItems<List, Item>(*list, target);
  return true;
}

}  // namespace

bool sendCommandRecord(int tag, ZxPack& record, ZxResult& result) {
  ZxClient client;
  applyOverrides(client);
  ZxRequest request(tag, &record);
  ZxMessage reply;
  if (!client.callSupervisor(request.message(), reply)) {
    zxreply::setLastErrorFromClient(client);
    return false;
  }
  if (reply.tag() == 3 || reply.tag() == 4) {
    fillLastErrorFromReply(reply);
    return false;
  }
  if (reply.version() > kLastBareListVersion) {
    zxreply::Check check = zxreply::Check::kOk;
    ZxResult* answer = zxreply::contentAs<ZxResult>(reply, kResultClass, &check);
    if (!answer) {
      reportInvalid(check, reply);
      return false;
    }
    result = *answer;
    return true;
  }
  if (reply.contentType() == kJobIdListClass)
    return takeBareList<ZxJobIdList, ZxJobId>(reply, kJobIdListClass, result.jobIdList());
  if (reply.contentType() == kWorkIdListClass)
    return takeBareList<ZxWorkIdList, ZxWorkId>(reply, kWorkIdListClass, result.workIdList());
  return true;  // an old answer of any other kind carries nothing to read
}

bool runCommand(ZxCommand& command, ZxResult& result) {
  return guardedOperation([&] {
    const int code = command.action();
    if (!isAcceptedCommand(code)) {
      ZxLog& log = ZxLog::log();
      log.lock();
      log.stamp() << "ERROR: unknown command: " << code << "\n";
      log.unlock();
      return false;
    }
    if (code == ZxCommandCode::kBumpUp || code == ZxCommandCode::kBumpDown) {
      ZxBumpCommand bump(command);
      bump.setDirection(code == ZxCommandCode::kBumpUp ? 1 : 2);
      return sendCommandRecord(ZxCommandCode::kBumpJob, bump, result);
    }
    return sendCommandRecord(code, command, result);
  });
}
