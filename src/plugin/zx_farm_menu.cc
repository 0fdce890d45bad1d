// Sourcing and removing the farm menu script of the "maya" job type.
#include "plugin/zx_farm_menu.h"

#include <maya/MGlobal.h>
#include <maya/MString.h>

#include "config/zx_job_type.h"
#include "os/zx_os_files.h"
#include "util/zx_string.h"

namespace {

// With resolution on, the answer is never empty: a missing key gives the
// type's folder and a separator, a missing type the separator alone, both of
// them folders, so neither is sourced.
ZxString menuScriptPath() { return jobTypeValue("maya", "maya_menu", true); }

}  // namespace

void setUpMenu() {
  ZxString path = menuScriptPath();
  if (path.isEmpty()) return;
  // Only a regular file is sourced: besides folders, a named pipe or a
  // device under that name would block Maya while MEL waits for its end.
  // (One look at the file attributes; a too-long path warns once.)
  if (zxos::pathKind(path) != zxos::PathKind::kFile) return;
  MGlobal::sourceFile(MString(path.c_str(), path.length()));
}

// The menu script's path is never empty (see menuScriptPath), so the
// removal runs whatever the configuration says: looking the job type up
// again would only read zx.conf and job.conf once more at every unload.
void removeMenu() { MGlobal::executeCommand(MString("zx_remove_menu"), false, false); }
