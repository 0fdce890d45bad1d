// The MEL host's mayahost::Host: registration, MEL services and messages.
#include "zx_mel_host.h"

#include "zx_mel_builtins.h"

namespace mel {

MStatus MelHost::registerCommand(const MString& name, MCreatorFunction creator) {
  // A plug-in cannot take the name of a built-in command.
  if (findBuiltin(name.str())) return MStatus::kFailure;
  return plugins_.registerCommand(name.str(), creator);
}

MStatus MelHost::deregisterCommand(const MString& name) { return plugins_.deregisterCommand(name.str()); }

MStatus MelHost::sourceFile(const MString& path) {
  return interp_.sourceScript(path.str()) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kFailure);
}

MStatus MelHost::executeCommand(const MString& command, bool display, bool) {
  // Nothing is undoable here, so the undo flag changes nothing.
  return interp_.executeText(command.str(), display, nullptr) ? MStatus(MStatus::kSuccess)
                                                              : MStatus(MStatus::kFailure);
}

void MelHost::displayError(const MString& message) { interp_.displayError(message.str()); }
void MelHost::displayWarning(const MString& message) { interp_.displayWarning(message.str()); }
void MelHost::displayInfo(const MString& message) { interp_.displayInfo(message.str()); }

}  // namespace mel
