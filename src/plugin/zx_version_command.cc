// zxversion: sets the string result to the client library version text.
#include "plugin/zx_version_command.h"

#include <new>

#include "client/zx_version.h"

void* zxVersion::creator() { return new (std::nothrow) zxVersion; }

MStatus zxVersion::doIt(const MArgList&) {
  setResult(MString(zxVersionText()));
  return MStatus::kSuccess;
}
