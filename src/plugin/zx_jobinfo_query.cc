// zxjobinfo's options and the filters and fields of its query.
#include "plugin/zx_jobinfo_query.h"

#include <maya/MPxCommand.h>

#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "os/zx_os_user.h"
#include "plugin/zx_command_replies.h"
#include "plugin/zx_option_parser.h"

namespace {

// The status flags in the order their codes go into the status filter.
struct StatusFlag {
  const char* option;
  const char* code;
};
const StatusFlag kStatusFlags[] = {{"complete", "16"}, {"none", "0"}, {"pending", "320"}, {"running", "336"}};

bool given(const OptionParser& parser, const char* name) {
  bool present = false;
  return parser.flag(name, present) && present;
}

}  // namespace

bool readJobinfoQuery(const ZxStringList& words, ZxQuery& query, MStatus& answer) {
  OptionParser parser;
  parser.setProgramName("zxjobinfo");
  parser.addFlag("running");
  parser.addFlag("complete");
  parser.addFlag("pending");
  parser.addFlag("none");
  parser.addText("user");
  parser.addFlag("long");
  if (!parseCommandWords(parser, words, answer)) return false;

  ZxFilterList& filters = query.filterList();
  if (parser.positionalCount() > 0) {
    ZxString ids;
    for (int i = 0; i < parser.positionalCount(); ++i) {
      if (i > 0) ids.append(',');
      ids.append(parser.positionalAt(i));
    }
    // One value holding the whole list, taken as written.
    ZxFilter* filter = new ZxFilter("id");
    filter->fields().append(new ZxField(ids, 0));
    filters.append(filter);
  }

  ZxString user;
  if (parser.text("user", user)) {
    if (user != "all")
      if (ZxFilter* filter = makeFilter("user", user)) filters.append(filter);
  } else {
    if (!zxos::userName(user)) {
      MPxCommand::displayError("zxjobinfo: the current user name cannot be read; name one with -user");
      answer = MStatus::kFailure;
      return false;
    }
    ZxFilter* filter = new ZxFilter("user");
    filter->fields().append(new ZxField(user, 0));
    filters.append(filter);
  }

  ZxFilter* status = new ZxFilter("status");
  for (const StatusFlag& flag : kStatusFlags)
    if (given(parser, flag.option)) status->fields().append(new ZxField(flag.code, 0));
  if (status->fields().count() > 0)
    filters.append(status);
  else
    delete status;

  if (given(parser, "long")) query.fieldList().append(new ZxField("subjobs", 0));
  answer = MStatus::kSuccess;
  return true;
}
