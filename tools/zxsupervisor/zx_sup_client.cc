// ZxSupClient: stamping, one exchange per connection, the typed requests
// and discovery.
#include "zx_sup_client.h"

#include <new>

#include "model/zx_error_record.h"
#include "net/zx_connection.h"
#include "os/zx_os_user.h"
#include "util/zx_byte_buffer.h"

namespace zxsup {

namespace {

// Lends `content` to `message` for the length of one exchange.
class Lend {
 public:
  Lend(ZxMessage& message, ZxPack* content) : message_(message) { message_.setContent(content); }
  Lend(const Lend&) = delete;
  Lend& operator=(const Lend&) = delete;
  ~Lend() { message_.setContent(nullptr); }

 private:
  ZxMessage& message_;
};

// The reply's content as a T of class `number`, taken from the reply; null
// when there is none or it is another class.
template <class T>
std::unique_ptr<T> take(ZxMessage& reply, int number) {
  ZxPack* c = reply.content();
  if (!c || c->typeId() != number || reply.contentType() != number) return nullptr;
  return std::unique_ptr<T>(static_cast<T*>(reply.takeContent()));
}

}  // namespace

Client::Client(const std::string& host, int port, int timeoutMs)
    : host_(host), port_(port), timeoutMs_(timeoutMs) {
  ZxString name;
  if (zxos::userName(name)) user_ = name;
  domain_ = ".";
}

void Client::stamp(ZxMessage& request) const {
  request.setUser(user_);
  request.setDomain(domain_);
  request.setZexaDomain(zexaDomain_);
  request.setVersion(ZxMessage::kProtocolVersion);
}

bool Client::encode(ZxMessage& request, std::string& bytes) {
  stamp(request);
  const int n = request.pack();
  if (n <= 0) return false;
  bytes.assign(request.buffer(), static_cast<size_t>(n));
  return true;
}

bool Client::exchangeBytes(const std::string& payload, std::string& answer) {
  ZxConnection c(ZxString(host_.c_str()), port_, ZxConnection::kTcp, timeoutMs_);
  if (!c.isActive()) {
    error_ = c.error();
    return false;
  }
  c.setTimeout(timeoutMs_);
  if (c.send(payload.data(), payload.size()) <= 0) {
    error_ = c.error();
    return false;
  }
  ZxByteBuffer in;
  if (!c.receive(in)) {
    error_ = c.error();
    return false;
  }
  answer.assign(in.data(), in.size());
  return true;
}

bool Client::exchange(ZxMessage& request, ZxMessage& reply) {
  lastTag_ = 0;
  std::string payload;
  if (!encode(request, payload)) {
    error_ = ZxErr(ZxConnection::kNoMemory);
    return false;
  }
  std::string answer;
  if (!exchangeBytes(payload, answer)) return false;
  reply.unpack(answer.data(), static_cast<int>(answer.size()));
  lastTag_ = reply.tag();
  return true;
}

ZxString refusalText(const ZxMessage& reply) {
  ZxPack* c = reply.content();
  if (c && c->typeId() == ZxErr::kClassNumber) return static_cast<ZxErr*>(c)->message();
  if (c && c->typeId() == ZxErrorRecord::kClassNumber) return static_cast<ZxErrorRecord*>(c)->text();
  return ZxString("refused (tag ").appendInt(reply.tag()).append(")");
}

std::unique_ptr<ZxJobList> Client::submit(ZxJobList& jobs, ZxString& error) {
  ZxMessage request(200);
  ZxMessage reply;
  bool ok;
  {
    Lend lend(request, &jobs);
    ok = exchange(request, reply);
  }
  if (!ok) {
    error = error_.message();
    return nullptr;
  }
  if (reply.tag() == 3 || reply.tag() == 4) {
    error = refusalText(reply);
    return nullptr;
  }
  std::unique_ptr<ZxJobList> accepted = take<ZxJobList>(reply, 5);
  if (!accepted) error = "the answer holds no job list";
  return accepted;
}

std::unique_ptr<ZxJobList> Client::query(ZxQuery& query, ZxString& error) {
  ZxMessage request(100);
  ZxMessage reply;
  bool ok;
  {
    Lend lend(request, &query);
    ok = exchange(request, reply);
  }
  if (!ok) {
    error = error_.message();
    return nullptr;
  }
  if (reply.tag() == 4) {
    error = refusalText(reply);
    return nullptr;
  }
  std::unique_ptr<ZxJobList> jobs = take<ZxJobList>(reply, 5);
  if (!jobs) error = "the answer holds no job list";
  return jobs;
}

std::unique_ptr<ZxResult> Client::command(int code, ZxCommand& command, ZxString& error) {
  command.setAction(code);
  ZxMessage request(code);
  ZxMessage reply;
  bool ok;
  {
    Lend lend(request, &command);
    ok = exchange(request, reply);
  }
  if (!ok) {
    error = error_.message();
    return nullptr;
  }
  if (reply.version() <= 529) {
    error = "the answer is of an old protocol version";
    return nullptr;
  }
  std::unique_ptr<ZxResult> result = take<ZxResult>(reply, 188);
  if (!result) error = "the answer holds no result record";
  return result;
}

bool Client::time(ZxTime& out, ZxString& error) {
  ZxMessage request(107);
  ZxMessage reply;
  if (!exchange(request, reply)) {
    error = error_.message();
    return false;
  }
  std::unique_ptr<ZxTime> t = take<ZxTime>(reply, 33);
  if (!t) {
    error = "the answer holds no time";
    return false;
  }
  out = *t;
  return true;
}

bool Client::discover(ZxString& from, ZxString& error) {
  lastTag_ = 0;
  ZxMessage request(401);
  std::string payload;
  if (!encode(request, payload)) {
    error = "out of memory";
    return false;
  }
  ZxConnection c(ZxString(host_.c_str()), port_, ZxConnection::kUdp, timeoutMs_);
  if (c.send(payload.data(), payload.size()) <= 0) {
    error = c.error().message();
    return false;
  }
  ZxByteBuffer in;
  if (!c.receive(in)) {
    error = c.error().message();
    return false;
  }
  ZxMessage reply;
  reply.unpack(in.data(), static_cast<int>(in.size()));
  lastTag_ = reply.tag();
  if (reply.tag() == 0 || reply.tag() == 5) {
    error = ZxString("discovery answered with tag ").appendInt(reply.tag());
    return false;
  }
  from = c.peer().dottedText();
  return true;
}

ZxJob* makeJob(const ZxString& name, int items, int cpus) {
  ZxJob* job = new (std::nothrow) ZxJob;
  if (!job) return nullptr;
  job->setName(name);
  job->setCpus(cpus);
  job->setPrototype("maya");
  for (int i = 1; i <= items; ++i) {
    ZxWork* w = new (std::nothrow) ZxWork;
    if (!w) break;
    w->setName(ZxString(i));
    job->agenda().append(w);
  }
  return job;
}

}  // namespace zxsup
