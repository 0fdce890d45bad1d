// ZxSupHandler: the local supervisor's answers. One request message in,
// one reply message out, over a job store; nothing here touches the
// network, so every answer can be tested (and fuzzed) in-process.
//
// Requests and their answers (every reply has version 530; success is
// tag kReplyDone, a refusal tag kReplyRefused with a ZxErr content):
//
//   100  query (a ZxQuery)         the matching jobs in a ZxJobList, in id
//                                  order; subjobs when the field list asks
//                                  for "subjobs", work items for "agenda"
//                                  (or "work"), both for "all" or "*";
//                                  unknown field names ask for nothing
//   107  time                      a ZxTime: the supervisor's clock
//   200  submit (a ZxJobList)      the accepted jobs, numbered, in a
//                                  ZxJobList; refusals: 3055 no job list,
//                                  3056 an empty list, 3058 no user, 3060
//                                  a job beyond the limits or a store
//                                  failure, 3064 the elite flag from a
//                                  user who is not an administrator
//   201-231, 604-615, 802          a ZxResult (also for codes this
//        (command records)         supervisor does not carry out, whose
//                                  result's error is 3055): the jobs or
//                                  work items affected, and faults for
//                                  ids it does not know (3063), jobs of
//                                  other users (2054, see restrictions)
//                                  and jobs it cannot act on
//   401  discovery                 tag kReplyDone, zexa_domain the
//                                  supervisor's domain
//   anything else                  refused with 3055
//
// Commands: the targets are the command's job ids (a subjob number acts on
// that subjob; ".*" on every subjob) or work ids (a name or number picks
// items of that job, neither picks them all; job ids of a work command
// pick every item of those jobs), narrowed by the filters; with no ids the
// filters alone pick the jobs, and with neither nothing is done. A command
// whose "restrictions" flag is set acts only on the sender's own jobs
// (administrators excepted); "limit", when above 0, caps the targets acted
// on. What each code does is in zx_sup_commands.h.
//
// Submitted jobs: see admitJob() (zx_sup_jobs.h). The reply is sent only
// after the store committed the jobs.
//
// A handler is used by many threads at once; it keeps no state of its own
// beyond its settings.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "message/zx_message.h"
#include "model/zx_command.h"
#include "model/zx_result.h"
#include "util/zx_byte_buffer.h"
#include "util/zx_string.h"
#include "zx_sup_store.h"

namespace zxsup {

// Reply tags.
constexpr int kReplyDone = 1;
constexpr int kReplyRefused = 4;

// Request tags.
namespace Request {
enum : int { kQuery = 100, kTime = 107, kSubmit = 200, kDiscover = 401, kCallbackCommand = 802 };
}

struct HandlerSettings {
  // Seconds one simulated work item runs; below 0: no simulation.
  int simulateSeconds = -1;
  // The queue domain this supervisor serves; empty: every domain.
  ZxString domain;
  // Users who may submit elite jobs and act on every job.
  std::vector<ZxString> admins;
  // A query answer holds at most this many bytes of stored jobs: far more
  // than any listing a person reads, and half the largest frame, which the
  // answer (a little larger than the stored bytes) must still fit.
  long long maxAnswerBytes = 256LL << 20;
};

class Handler {
 public:
  // Unix seconds now.
  using Clock = std::function<int64_t()>;

  // The store and the clock must outlive the handler.
  Handler(Store& store, const HandlerSettings& settings, Clock clock);

  // Answers `request` into `reply` (which should be fresh). The request's
  // content may be taken over (a submit's jobs become the reply's).
  // `summary` gets one line saying what was done, for the log.
  void handle(ZxMessage& request, ZxMessage& reply, ZxString& summary);

  // The packed request message of one frame in, the packed reply out (the
  // bytes a frame carries). A request that does not decode is refused with
  // 3055. False only when the reply could not be packed.
  bool handleBytes(const char* data, size_t n, ZxByteBuffer& out, ZxString& summary);

  // Whether a discovery request is for this supervisor: it serves every
  // domain, or the request names none, or names its domain.
  bool servesDomainOf(const ZxMessage& request) const;

  // One step of the simulation (nothing when it is off); true when jobs
  // moved, with `summary` saying how many.
  bool tick(ZxString& summary);

  const HandlerSettings& settings() const { return settings_; }

 private:
  void submit(ZxMessage& request, ZxMessage& reply, ZxString& summary);
  void query(ZxMessage& request, ZxMessage& reply, ZxString& summary);
  void command(ZxMessage& request, ZxMessage& reply, ZxString& summary);
  bool isAdmin(const ZxString& user) const;

  Store& store_;
  HandlerSettings settings_;
  Clock clock_;
};

// Makes `reply` a refusal (tag kReplyRefused) with a ZxErr of `code`,
// and the value ERROR when `text` is not empty.
void refuse(ZxMessage& reply, int code, const ZxString& text = ZxString());

}  // namespace zxsup
