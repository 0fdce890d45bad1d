// MGlobal's services, forwarded to the host.
#include <maya/MGlobal.h>
#include <maya/MPxCommand.h>
#include <mayahost/host.h>

MStatus MGlobal::sourceFile(const MString& path) {
  auto* h = mayahost::host();
  return h ? h->sourceFile(path) : MStatus(MStatus::kFailure);
}

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled) {
  auto* h = mayahost::host();
  return h ? h->executeCommand(command, displayEnabled, undoEnabled) : MStatus(MStatus::kFailure);
}

void MGlobal::displayError(const MString& message) { MPxCommand::displayError(message); }
void MGlobal::displayWarning(const MString& message) { MPxCommand::displayWarning(message); }
void MGlobal::displayInfo(const MString& message) { MPxCommand::displayInfo(message); }
