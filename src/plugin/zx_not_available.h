// The answer of a command whose behaviour is not built yet: an error naming
// the command, and failure.
#pragma once

#include <maya/MPxCommand.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

inline MStatus notAvailableYet(const char* melName) {
  MPxCommand::displayError(MString(melName) + ": not available yet");
  return MStatus::kFailure;
}
