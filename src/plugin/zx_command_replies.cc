// The failure lines of a supervisor exchange, the empty list result and the
// help and version answers of the option commands.
#include "plugin/zx_command_replies.h"

#include <maya/MPxCommand.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include "client/zx_last_error.h"

namespace {
MString melText(const ZxString& s) { return MString(s.c_str(), s.length()); }
}  // namespace

ZxString errorLine(const ZxErr& error) {
  ZxString line = error.message();
  const ZxString* reason = error.value("ERROR");
  if (reason && !reason->isEmpty() && !line.contains(*reason)) line.append(": ").append(*reason);
  return line;
}

void showSupervisorFailure() {
  MPxCommand::displayError("couldn't obtain data from supervisor.");
  const ZxErr reason(lastError());
  const ZxString line = errorLine(reason);
  if (!line.isEmpty()) MPxCommand::displayError(melText(line));
}

void setEmptyListResult() { MPxCommand::setResult(MStringArray()); }

bool parseCommandWords(OptionParser& parser, const ZxStringList& words, MStatus& answer) {
  // The handlers run only when the parse reached the end of the words, so
  // "-help -foo" is an option error, not a request for help.
  bool asked = false;
  auto mark = [](const OptionParser&, void* context) { *static_cast<bool*>(context) = true; };
  parser.setHelpHandler(mark, &asked);
  parser.setVersionHandler(mark, &asked);
  const bool parsed = parser.parse(words);
  parser.setHelpHandler(nullptr);
  parser.setVersionHandler(nullptr);
  if (parsed) return true;
  if (asked) {
    MPxCommand::setResult(melText(parser.errorText()));
    answer = MStatus::kSuccess;
  } else {
    MPxCommand::displayError(melText(parser.errorText()));
    answer = MStatus::kFailure;
  }
  return false;
}
