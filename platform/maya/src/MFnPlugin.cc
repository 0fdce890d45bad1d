// MFnPlugin: command registration, forwarded to the host.
#include <maya/MFnPlugin.h>
#include <mayahost/host.h>

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char* requiredApiVersion,
                     MStatus* status)
    : object_(object), vendor_(vendor), version_(version), api_(requiredApiVersion) {
  if (status) *status = MStatus::kSuccess;
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creator,
                                   MCreateSyntaxFunction) {
  auto* h = mayahost::host();
  if (!h || !creator) return MStatus::kFailure;
  return h->registerCommand(commandName, creator);
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName) {
  auto* h = mayahost::host();
  return h ? h->deregisterCommand(commandName) : MStatus(MStatus::kFailure);
}
