// Reading MEL script files: the script named on the command line and every
// file that `source` runs. They are read through the client library's OS
// layer (zxos::readFile), so opening never blocks: a named pipe or a device
// is refused at once instead of hanging the host, and only regular files are
// read.
#pragma once

#include <string>

namespace mel {

// Largest script file read. Hand-written scripts are far smaller.
constexpr long long kMaxScriptBytes = 16LL * 1024 * 1024;

enum class ScriptRead { kOk, kMissing, kFailed };

// Reads the script at `path` into `out`. kMissing when there is no file of
// that name (the caller may try another); kFailed, with `error` saying why,
// when it exists but is not a regular file, cannot be read or is larger
// than kMaxScriptBytes.
ScriptRead readScriptFile(const std::string& path, std::string& out, std::string& error);

}  // namespace mel
