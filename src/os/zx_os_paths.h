// The platform's base folders for the installation, the configuration and the
// per-user temporary files, behind a small interface that each platform fills
// in. See README.md in this folder for what each one is here.
#pragma once

#include "util/zx_string.h"

namespace zxos {

// The separator this platform puts between folder names.
constexpr char kPathSeparator = '/';

// Where the farm software is installed when nothing says otherwise.
const char* defaultInstallDir();

// Folder names longer than this are refused: no real folder is that long and
// the paths built on them must stay openable.
constexpr int kMaxFolderName = 4096;

// The system-wide configuration folder (the one holding zx.conf): the value of
// ZX_CONF_DIR when set and non-empty, else "/etc". False (and `out`
// unchanged) when ZX_CONF_DIR is kMaxFolderName characters or longer.
bool configFolder(ZxString& out);

// The system folder (the Windows directory there); the configuration folder
// here, with the same failure.
bool systemFolder(ZxString& out);

// The user's local application-data folder; the configuration folder here,
// with the same failure.
bool localDataFolder(ZxString& out);

// A folder private to the user for the discovery cache files, without a
// trailing separator: $XDG_RUNTIME_DIR when set, otherwise "zx-<uid>" under
// $TMPDIR (or "/tmp"), created with mode 0700 when missing. False when the
// folder cannot be made or is unsafe to use: a symbolic link, not a folder,
// owned by another user, or open to other users.
bool tempFolder(ZxString& out);

// A program-folder rewrite used to find 32-bit installs on 64-bit systems:
// every occurrence of `from` in an installation path may also be found under
// `to`. False on platforms without such a split (this one).
bool programFolderAlias(ZxString& from, ZxString& to);

}  // namespace zxos
