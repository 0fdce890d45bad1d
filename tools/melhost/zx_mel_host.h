// The MEL host's side of the Maya API stand-in: a mayahost::Host that puts
// plug-in commands into the registry, runs MEL for MGlobal and shows
// messages through the interpreter.
//
// Ownership: borrows the interpreter and the plug-in set; both must outlive
// the time the host is installed with mayahost::setHost.
#pragma once

#include <mayahost/host.h>

#include "zx_mel_interpreter.h"
#include "zx_mel_plugins.h"

namespace mel {

class MelHost : public mayahost::Host {
 public:
  MelHost(Interpreter& interp, PluginSet& plugins) : interp_(interp), plugins_(plugins) {}

  MStatus registerCommand(const MString& name, MCreatorFunction creator) override;
  MStatus deregisterCommand(const MString& name) override;
  MStatus sourceFile(const MString& path) override;
  MStatus executeCommand(const MString& command, bool display, bool undo) override;
  void displayError(const MString& message) override;
  void displayWarning(const MString& message) override;
  void displayInfo(const MString& message) override;

 private:
  Interpreter& interp_;
  PluginSet& plugins_;
};

}  // namespace mel
