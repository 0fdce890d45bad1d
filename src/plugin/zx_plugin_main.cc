// The plug-in's entry points: the API version export, initializePlugin
// (registers the 25 commands, then sources the farm menu script) and
// uninitializePlugin (removes the menu, then deregisters the commands).
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include "client/zx_version.h"
#include "plugin/zx_command_table.h"
#include "plugin/zx_farm_menu.h"

// The entry points are looked up by their plain names, so they are exported
// with C linkage and default visibility (dllexport on Windows).
#if defined(_WIN32)
#define ZX_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define ZX_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The host's interface returns MStatus, a C++ class, from these C-linkage
// functions; host and plug-in are built by the same C++ compiler, so the
// class crosses the boundary as both expect.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

// The Maya API version the module was built for, as Maya reads it from the
// module before loading it.
ZX_PLUGIN_EXPORT const char MApiVersion[] = "200800";

ZX_PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
  // Nothing may throw into Maya: memory running out while the commands are
  // registered or the menu is built leaves the plug-in as far as it got.
  try {
    MFnPlugin plugin(obj, "Kavelo L.L.C.", zxVersionText(), "Any");
    // A failed registration does not stop the others; statuses are not examined.
    for (int i = 0; i < zxCommandCount(); ++i)
      plugin.registerCommand(zxCommandTable()[i].melName, zxCommandTable()[i].creator);
    // The farm menu comes last, once the commands its script calls exist.
    setUpMenu();
  } catch (...) {
  }
  return MStatus::kSuccess;
}

ZX_PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
  try {
    MFnPlugin plugin(obj);
    // The menu goes first, while the commands its items call still exist.
    try {
      removeMenu();
    } catch (...) {
    }
    for (int i = 0; i < zxCommandCount(); ++i) plugin.deregisterCommand(zxCommandTable()[i].melName);
  } catch (...) {
  }
  return MStatus::kSuccess;
}
