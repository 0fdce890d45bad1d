// The job control commands' option set, job id words and filters.
#include "plugin/zx_job_arguments.h"

#include <maya/MPxCommand.h>
#include <maya/MString.h>

#include <new>

#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "model/zx_string_list.h"
#include "plugin/zx_argument_words.h"
#include "plugin/zx_command_replies.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the decimal digits of `word` from `at`; false when there are none or
// the number does not fit an id (ids are positive ints).
bool readNumber(const ZxString& word, int& at, int& out) {
  const int start = at;
  long long value = 0;
  while (at < word.length() && isDigit(word.charAt(at))) {
    value = value * 10 + (word.charAt(at) - '0');
    if (value > 0x7FFFFFFFLL) return false;
    ++at;
  }
  if (at == start) return false;
  out = static_cast<int>(value);
  return true;
}

// The text filters, in the order they go into the filter list.
const char* const kTextFilters[] = {"pid", "pgrp", "priority", "user", "name", "cluster", "cpus"};

// The status flags, in the order their names go into the status filter.
const char* const kStatusFlags[] = {"complete", "none", "pending", "running"};

void appendFilter(ZxFilterList& list, ZxFilter* filter) {
  if (filter) list.append(filter);
}

}  // namespace

void addJobOptions(OptionParser& parser) {
  parser.addFlag("running");
  parser.addFlag("complete");
  parser.addFlag("pending");
  parser.addFlag("none");
  parser.addText("status");
  parser.addText("user");
  parser.addText("name");
  parser.addText("pid");
  parser.addText("pgrp");
  parser.addText("priority");
  parser.addText("cluster");
  parser.addText("cpus");
}

bool readJobId(const ZxString& word, ZxJobId& out) {
  int at = 0, job = 0;
  if (!readNumber(word, at, job) || job == 0) return false;
  int sub = ZxJobId::kWholeJob;
  if (at < word.length()) {
    if (word.charAt(at) != '.') return false;
    ++at;
    sub = 0;  // "12." and "12.*" name subjob 0
    if (at < word.length() && word.charAt(at) == '*')
      ++at;
    else if (at < word.length() && !readNumber(word, at, sub))
      return false;
    if (at != word.length()) return false;
  }
  out.setId(job);
  out.setSubId(sub);
  return true;
}

bool readJobArguments(const MArgList& args, unsigned int firstIndex, ZxCommand& request, const char* melName,
                      MStatus& answer) {
  ZxStringList words;
  argumentWords(args, firstIndex, words);
  OptionParser parser;
  parser.setProgramName(melName);
  addJobOptions(parser);
  if (!parseCommandWords(parser, words, answer)) return false;

  answer = MStatus::kFailure;
  if (parser.positionalCount() == 0) {
    MPxCommand::displayError("you must specify at least one jobid");
    return false;
  }
  for (int i = 0; i < parser.positionalCount(); ++i) {
    const ZxString word = parser.positionalAt(i);
    if (word == "0") break;
    ZxJobId id;
    if (!readJobId(word, id)) {
      MPxCommand::displayError(MString("'") + MString(word.c_str(), word.length()) + "' is not a job id");
      return false;
    }
    request.jobIdList().append(new ZxJobId(id));
  }

  ZxFilterList& filters = request.filterList();
  for (const char* name : kTextFilters) {
    ZxString value;
    if (parser.text(name, value)) appendFilter(filters, makeFilter(name, value));
  }
  ZxString statusText;
  ZxFilter* status = nullptr;
  if (parser.text("status", statusText)) status = makeFilter("status", statusText);
  if (!status) status = new ZxFilter("status");
  for (const char* name : kStatusFlags) {
    bool given = false;
    if (parser.flag(name, given) && given) status->fields().append(new ZxField(name, 0));
  }
  if (status->fields().count() > 0)
    filters.append(status);
  else
    delete status;
  // A lone "0" before any id leaves a command that names no job and no
  // condition; what a supervisor makes of one is its own affair (it could
  // read it as every job), so it is not sent.
  if (request.jobIdList().count() == 0 && filters.count() == 0) {
    MPxCommand::displayError("you must specify at least one jobid");
    return false;
  }
  answer = MStatus::kSuccess;
  return true;
}
