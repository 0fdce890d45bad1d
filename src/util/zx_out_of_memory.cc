// The per-thread out-of-memory flag.
#include "util/zx_out_of_memory.h"

namespace ZxOutOfMemory {
namespace {
thread_local bool t_noted = false;
}  // namespace

void note() { t_noted = true; }
bool noted() { return t_noted; }

Watch::Watch() : before_(t_noted) { t_noted = false; }
Watch::~Watch() { t_noted = t_noted || before_; }

}  // namespace ZxOutOfMemory
