// ZxSupClient: a small client of the supervisor protocol for the probe
// program, the tests and the benchmark: one framed request and its reply
// per connection, as the client library sends them (version 530, the
// sender's user and domain stamped in), plus discovery over UDP.
//
// It is not the client library's supervisor route: no configured
// supervisor list, no cache, no pauses after a refusal. It talks to one
// host and port and reports what came back.
//
// Results come back owned by the caller (unique_ptr); the requests the
// caller lends are given back before the call returns.
#pragma once

#include <memory>
#include <string>

#include "message/zx_message.h"
#include "model/zx_command.h"
#include "model/zx_err.h"
#include "model/zx_job.h"
#include "model/zx_query.h"
#include "model/zx_result.h"
#include "model/zx_time.h"
#include "util/zx_string.h"

namespace zxsup {

class Client {
 public:
  Client(const std::string& host, int port, int timeoutMs);

  void setUser(const ZxString& user) { user_ = user; }
  void setDomain(const ZxString& domain) { domain_ = domain; }
  void setZexaDomain(const ZxString& domain) { zexaDomain_ = domain; }
  const ZxString& user() const { return user_; }

  // Stamps `request` and runs one exchange. False when the connection,
  // the send or the receive failed (the reason in error()); a reply that
  // does not decode leaves `reply` as it was.
  bool exchange(ZxMessage& request, ZxMessage& reply);
  // The packed bytes of `request` as exchange() would send them.
  bool encode(ZxMessage& request, std::string& bytes);
  // Sends `payload` as one frame and reads the answer's payload (for tests
  // of damaged requests).
  bool exchangeBytes(const std::string& payload, std::string& answer);

  // Submit (tag 200): the accepted jobs, or null with `error` (the
  // transport failure or the refusal's message).
  std::unique_ptr<ZxJobList> submit(ZxJobList& jobs, ZxString& error);
  // Query (tag 100): the jobs, or null with `error`.
  std::unique_ptr<ZxJobList> query(ZxQuery& query, ZxString& error);
  // A command with tag `code` (the command's action is set to it): the
  // result record, or null with `error`.
  std::unique_ptr<ZxResult> command(int code, ZxCommand& command, ZxString& error);
  // The supervisor's time (tag 107), or false with `error`.
  bool time(ZxTime& out, ZxString& error);
  // Discovery (tag 401) by one UDP datagram to host:port; true when an
  // answer came, with the answering address in `from`.
  bool discover(ZxString& from, ZxString& error);

  // The last transport failure.
  const ZxErr& error() const { return error_; }
  // The reply tag of the last exchange; 0 when it failed.
  int lastTag() const { return lastTag_; }

 private:
  void stamp(ZxMessage& request) const;

  std::string host_;
  int port_;
  int timeoutMs_;
  ZxString user_;
  ZxString domain_;
  ZxString zexaDomain_;
  ZxErr error_;
  int lastTag_ = 0;
};

// A job named `name` with `items` work items named "1", "2", ... (frame
// numbers, as a frame range would make them) and `cpus` instances.
ZxJob* makeJob(const ZxString& name, int items, int cpus = 1);

// The text of a refusal reply: its ZxErr's message, an "error" record's
// text, or a general line.
ZxString refusalText(const ZxMessage& reply);

}  // namespace zxsup
