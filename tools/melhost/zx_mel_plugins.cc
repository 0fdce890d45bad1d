// Plug-in loading with dlopen and the plug-in command registry.
#include "zx_mel_plugins.h"

#include <dlfcn.h>
#include <maya/MObject.h>
#include <maya/MPxCommand.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "os/zx_os_files.h"

namespace mel {
namespace {

using EntryPoint = MStatus (*)(MObject);

// The API version text is a short number ("200800"); a text without a NUL in
// its first bytes is not one.
constexpr size_t kMaxApiVersionLength = 64;

std::string pluginName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = base.find('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string realPathOf(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf)) return buf;
  return path;
}

std::string lastDlError() {
  const char* e = ::dlerror();
  return e ? e : "unknown error";
}

}  // namespace

PluginSet::~PluginSet() { unloadAll(); }

bool PluginSet::load(const std::string& path, std::string& name, std::string& error) {
  if (path.empty()) {
    error = "empty path";
    return false;
  }
  std::string real = realPathOf(path);
  for (const Plugin& p : plugins_) {
    if (p.loaded && p.realPath == real) {
      name = p.name;
      return true;
    }
  }
  // A name without a slash would make dlopen search the library path; a
  // plug-in path is always taken relative to the current directory.
  std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
  // dlopen would wait for ever on a named pipe: only regular files are opened.
  if (!zxos::isRegularFile(ZxString(openPath.data(), static_cast<int>(openPath.size())))) {
    error = "not a regular file";
    return false;
  }
  ::dlerror();
  void* handle = ::dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    error = lastDlError();
    return false;
  }
  const char* api = static_cast<const char*>(::dlsym(handle, "MApiVersion"));
  if (!api || ::strnlen(api, kMaxApiVersionLength) == 0 ||
      ::strnlen(api, kMaxApiVersionLength) == kMaxApiVersionLength) {
    ::dlclose(handle);
    error = "no MApiVersion";
    return false;
  }
  auto init = reinterpret_cast<EntryPoint>(::dlsym(handle, "initializePlugin"));
  if (!init) {
    ::dlclose(handle);
    error = "no initializePlugin";
    return false;
  }
  Plugin p;
  p.name = pluginName(path);
  p.path = path;
  p.realPath = real;
  p.handle = handle;
  plugins_.push_back(p);
  int index = static_cast<int>(plugins_.size()) - 1;
  int savedOwner = owner_;
  owner_ = index;
  plugins_[index].running++;
  MStatus st = init(MObject(handle));
  plugins_[index].running--;
  owner_ = savedOwner;
  if (st != MStatus::kSuccess) {
    dropCommandsOf(index);
    ::dlclose(handle);
    plugins_[index].handle = nullptr;
    error = "initializePlugin failed";
    return false;
  }
  plugins_[index].loaded = true;
  name = plugins_[index].name;
  return true;
}

bool PluginSet::unload(const std::string& nameOrPath, std::string& error) {
  std::string real = realPathOf(nameOrPath);
  for (int i = static_cast<int>(plugins_.size()) - 1; i >= 0; --i) {
    const Plugin& p = plugins_[i];
    if (p.loaded && (p.name == nameOrPath || p.path == nameOrPath || p.realPath == real))
      return unloadAt(i, error);
  }
  error = "plug-in \"" + nameOrPath + "\" is not loaded";
  return false;
}

bool PluginSet::unloadAt(int index, std::string& error) {
  if (plugins_[index].running > 0) {
    error = "plug-in \"" + plugins_[index].name + "\" is in use";
    return false;
  }
  // Marked unloaded first, so that MEL run by uninitializePlugin cannot
  // unload it a second time.
  plugins_[index].loaded = false;
  void* handle = plugins_[index].handle;
  auto fini = reinterpret_cast<EntryPoint>(::dlsym(handle, "uninitializePlugin"));
  if (fini) {
    int savedOwner = owner_;
    owner_ = index;
    plugins_[index].running++;
    fini(MObject(handle));
    plugins_[index].running--;
    owner_ = savedOwner;
  }
  dropCommandsOf(index);
  ::dlclose(handle);
  plugins_[index].handle = nullptr;
  return true;
}

void PluginSet::unloadAll() {
  for (int i = static_cast<int>(plugins_.size()) - 1; i >= 0; --i) {
    std::string ignored;
    if (plugins_[i].loaded) unloadAt(i, ignored);
  }
}

void PluginSet::dropCommandsOf(int plugin) {
  for (auto it = commands_.begin(); it != commands_.end();) {
    if (it->second.plugin == plugin)
      it = commands_.erase(it);
    else
      ++it;
  }
}

MStatus PluginSet::registerCommand(const std::string& name, MCreatorFunction creator) {
  if (name.empty() || !creator || commands_.count(name)) return MStatus::kFailure;
  Command c;
  c.name = name;
  c.creator = creator;
  // A command registered while a plug-in's code runs belongs to that
  // plug-in, and goes when it is unloaded.
  c.plugin = owner_;
  commands_[name] = c;
  return MStatus::kSuccess;
}

MStatus PluginSet::deregisterCommand(const std::string& name) {
  return commands_.erase(name) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kFailure);
}

const PluginSet::Command* PluginSet::find(const std::string& name) const {
  auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : &it->second;
}

MStatus PluginSet::run(const Command& command, const MArgList& args, bool& created) {
  auto* object = static_cast<MPxCommand*>(command.creator());
  created = object != nullptr;
  if (!object) return MStatus::kFailure;
  bool guarded = command.plugin >= 0 && command.plugin < static_cast<int>(plugins_.size());
  int savedOwner = owner_;
  owner_ = command.plugin;
  if (guarded) plugins_[command.plugin].running++;
  MStatus st = object->doIt(args);
  // No undo is offered; an undoable command is only counted.
  if (object->isUndoable()) ++undoCount_;
  delete object;
  if (guarded) plugins_[command.plugin].running--;
  owner_ = savedOwner;
  return st;
}

}  // namespace mel
