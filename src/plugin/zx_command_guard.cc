// The failure answer of the command boundary.
#include "plugin/zx_command_guard.h"

#include <maya/MPxCommand.h>
#include <maya/MString.h>

#include <cstdio>

MStatus zxCommandFailed(const char* name, const char* what) {
  try {
    MPxCommand::clearResult();
    char message[128];
    std::snprintf(message, sizeof message, "%s: %s", name, what);
    MPxCommand::displayError(MString(message));
  } catch (...) {
    // Not even the message could be built; the status still says it.
  }
  return MStatus::kFailure;
}
