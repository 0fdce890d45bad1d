// Script files through the OS layer's non-blocking, regular-files-only reader.
#include "zx_mel_files.h"

#include "os/zx_os_files.h"
#include "util/zx_string.h"

namespace mel {

ScriptRead readScriptFile(const std::string& path, std::string& out, std::string& error) {
  out.clear();
  ZxString text;
  zxos::ReadFailure why = zxos::ReadFailure::kNone;
  if (!zxos::readFile(ZxString(path.data(), static_cast<int>(path.size())), text, &why)) {
    switch (why) {
      case zxos::ReadFailure::kNotFound:
        return ScriptRead::kMissing;
      case zxos::ReadFailure::kNotRegular:
        error = "\"" + path + "\" is not a regular file";
        break;
      case zxos::ReadFailure::kTooLarge:
        error = "\"" + path + "\" is too large";
        break;
      default:
        error = "cannot read \"" + path + "\"";
        break;
    }
    return ScriptRead::kFailed;
  }
  if (text.length() > kMaxScriptBytes) {
    error = "\"" + path + "\" is too large";
    return ScriptRead::kFailed;
  }
  out.assign(text.c_str(), static_cast<size_t>(text.length()));
  return ScriptRead::kOk;
}

}  // namespace mel
