// The MEL host's plug-ins and plug-in command registry.
//
// A plug-in is a shared module opened with dlopen (RTLD_NOW | RTLD_LOCAL).
// It must export the NUL-terminated text MApiVersion (non-empty) and the
// entry points `extern "C" MStatus initializePlugin(MObject)` and
// `uninitializePlugin(MObject)`. Loading calls initializePlugin; the
// commands it registers belong to that plug-in. Unloading calls
// uninitializePlugin, drops whatever commands the plug-in left registered,
// then closes the module.
//
// Ownership: the set owns the module handles; command entries only borrow
// creator functions, and are dropped before their module is closed. A
// plug-in whose command is running cannot be unloaded (its code is on the
// stack).
#pragma once

#include <maya/MArgList.h>
#include <maya/MFnPlugin.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <map>
#include <string>
#include <vector>

namespace mel {

class PluginSet {
 public:
  struct Command {
    std::string name;
    MCreatorFunction creator = nullptr;
    int plugin = -1;  // index of the registering plug-in, -1 when no plug-in code was running
  };

  PluginSet() = default;
  PluginSet(const PluginSet&) = delete;
  PluginSet& operator=(const PluginSet&) = delete;
  ~PluginSet();

  // Loads the module at `path`. On success `name` is the plug-in's name (the
  // file name without directory and extension). A module already loaded
  // (same real path) is not loaded twice; its name is answered.
  bool load(const std::string& path, std::string& name, std::string& error);
  // Unloads the plug-in named `nameOrPath` (its name, the path it was loaded
  // from, or a path to the same file).
  bool unload(const std::string& nameOrPath, std::string& error);
  // Unloads every plug-in, the last loaded first.
  void unloadAll();

  MStatus registerCommand(const std::string& name, MCreatorFunction creator);
  MStatus deregisterCommand(const std::string& name);
  // The registered command of that name, or null. The pointer is valid until
  // the registry next changes; callers copy the entry before running it.
  const Command* find(const std::string& name) const;

  // Creates the command object, runs doIt with `args`, counts it on the undo
  // queue when it says it is undoable, and deletes it. `created` is false
  // when the creator returned null (nothing ran then).
  MStatus run(const Command& command, const MArgList& args, bool& created);

  // Commands pushed on the undo queue so far.
  long long undoCount() const { return undoCount_; }

 private:
  struct Plugin {
    std::string name;
    std::string path;
    std::string realPath;
    void* handle = nullptr;
    bool loaded = false;
    int running = 0;  // commands of this plug-in on the call stack
  };

  void dropCommandsOf(int plugin);
  bool unloadAt(int index, std::string& error);

  std::vector<Plugin> plugins_;
  std::map<std::string, Command> commands_;
  int owner_ = -1;  // the plug-in whose code is running (loading, a command, unloading), or -1
  long long undoCount_ = 0;
};

}  // namespace mel
