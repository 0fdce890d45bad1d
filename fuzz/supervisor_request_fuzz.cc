// Fuzz target: the local supervisor's request handling. The input is the
// payload of one request frame (a packed message, as a client sends it);
// it goes through the handler over a memory job store, followed by one
// step of the simulation. Properties: every input gets an answer; the
// answer decodes as a message of version 530 whose tag is "done" or
// "refused", fits one frame, and carries content only of the classes the
// requests are answered with.
//
// The store lives across inputs, so that commands and queries meet the
// jobs earlier inputs submitted; it starts afresh every kInputsPerStore
// inputs to keep memory bounded.
#include <memory>

#include "fuzz_support.h"
#include "message/zx_message.h"
#include "net/zx_frame.h"
#include "zx_sup_handler.h"
#include "zx_sup_sqlite_store.h"

namespace {

constexpr int kInputsPerStore = 500;

struct Supervisor {
  Supervisor() {
    ZxString error;
    store.open(":memory:", zxsup::SqliteStore::kSyncNormal, error);
    zxsup::HandlerSettings settings;
    settings.simulateSeconds = 0;
    settings.admins.push_back("root");
    handler.reset(new zxsup::Handler(store, settings, [this] { return now; }));
  }
  zxsup::SqliteStore store;
  std::unique_ptr<zxsup::Handler> handler;
  int64_t now = 1700000000;
};

bool answeredWith(int type) {
  // job list, time, err, result
  return type == 0 || type == 5 || type == 33 || type == 175 || type == 188;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<Supervisor> supervisor;
  static int inputs = 0;
  if (!supervisor || ++inputs % kInputsPerStore == 0) supervisor.reset(new Supervisor);
  supervisor->now += 3;

  ZxByteBuffer out;
  ZxString summary;
  ZX_FUZZ_CHECK(supervisor->handler->handleBytes(reinterpret_cast<const char*>(data), size, out, summary));
  ZX_FUZZ_CHECK(!summary.isEmpty());
  ZX_FUZZ_CHECK(out.size() > 0 && out.size() <= ZxFrame::kMaxFrameBytes);
  ZxMessage reply;
  ZX_FUZZ_CHECK(reply.unpack(out.data(), static_cast<int>(out.size())) == ZxPack::kOk);
  ZX_FUZZ_CHECK(reply.version() == 530);
  ZX_FUZZ_CHECK(reply.tag() == zxsup::kReplyDone || reply.tag() == zxsup::kReplyRefused);
  ZX_FUZZ_CHECK(answeredWith(reply.content() ? reply.content()->typeId() : 0));
  ZX_FUZZ_CHECK(!reply.content() || reply.content()->typeId() == reply.contentType());

  ZxString ticked;
  supervisor->handler->tick(ticked);
  return 0;
}
