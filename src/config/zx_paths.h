// Installation directory and built-in defaults: the process-wide installation
// directory with its priority rule, the string and integer default tables
// keyed by setting identifier, the job type search path and parentDir.
//
// Paths are never stored: every defaultString call derives them afresh from
// three base folders, the installation directory (I), the configuration
// folder (K) and the data folder (D, the installation directory on this
// platform), so a change of installation directory shows at the next call.
//
// Identifier groups: below 100 the supervisor, 100-199 the worker, 300-399 the
// client, 400-499 the graphical front end, 500-599 the supervisor database,
// 600-699 mail templates, 1000 and above other places of the configuration
// file. Identifier 1 of each group is the configuration file.
//
// The installation directory and its priority are plain process-wide
// variables without a lock; they are written only from configuration reads on
// the caller's thread.
#pragma once

#include "util/zx_string.h"

// Setting identifiers the client asks for by name.
namespace ZxSetting {
constexpr int kInstallDir = 0;
constexpr int kConfigFile = 1;
constexpr int kConfigFolder = -1;
constexpr int kSupervisorLogPath = 8;
constexpr int kSupervisorPort = 10;
constexpr int kSupervisorHttpPort = 48;
constexpr int kSupervisorSubPort = 49;
constexpr int kWorkerLogPath = 111;
constexpr int kJobTypeSearchPath = 112;
constexpr int kWorkerPort = 113;
constexpr int kWorkerLogMode = 117;
constexpr int kClientConfigFile = 301;
constexpr int kClientJobTypeSearchPath = 302;
constexpr int kClientTempFolder = 304;
constexpr int kClientJobFlags = 305;
constexpr int kClientTimeout = 306;
constexpr int kTempFolder = 32;
}  // namespace ZxSetting

// Priorities of the installation directory's sources.
constexpr int kInstallDirFromFile = 2;         // the zx_directory key of zx.conf
constexpr int kInstallDirFromEnvironment = 3;  // the ZX_DIR variable

// If `path` is non-empty and `priority` is above the stored priority, the
// installation directory becomes `path` and the stored priority `priority`;
// otherwise nothing changes. So the first value seen at a priority sticks for
// the life of the process, and a higher source always wins.
void offerInstallDir(const ZxString& path, int priority);

// The current installation directory (the default until an offer is taken).
ZxString installDir();

// Back to the state at load: the default directory with priority 0. For tests
// and for tools that host several configurations in one process.
void resetInstallDir();

// The string default of `id`, in `out`. Unknown identifiers give "". False
// (and `out` empty) when a base folder it needs cannot be found; the
// configuration and system folders then report an "ERROR: unable to query
// for ... folder." line on standard output, the temporary folder reports
// nothing (the caller then does without its cache files).
bool defaultString(int id, ZxString& out);

// The same, "" on failure.
ZxString defaultString(int id);

// The integer default of `id`; 0 for unknown identifiers.
int defaultInt(int id);

// The folder above `path`, ending in the path separator: trailing separators
// ("\" or "/") are skipped, then the last component, then the separators
// before it; what remains gets one separator appended. A path without any
// separator gives the separator alone.
ZxString parentDir(const ZxString& path);

// The job type search path for the current installation directory I, ";"
// separated: I/types, then parentDir(I) + "jobtypes", then the same folder
// under the 32-bit program folder where the platform has one (else again the
// same folder).
ZxString jobTypeSearchPath();
