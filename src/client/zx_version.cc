// The client library's version text.
#include "client/zx_version.h"

const char* zxVersionText() { return "5.4-0"; }
