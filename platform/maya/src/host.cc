// The process-wide host pointer and command result slot of the Maya API stand-in.
#include <mayahost/host.h>

namespace mayahost {
namespace {
Host* g_host = nullptr;
}  // namespace

void setHost(Host* h) { g_host = h; }
Host* host() { return g_host; }

CommandResult& currentResult() {
  static CommandResult result;
  return result;
}

}  // namespace mayahost
