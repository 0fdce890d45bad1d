// The arguments of the job control commands (zxremove, zxkill, ... and
// zxmodify after its modify hash): one option set, the job ids and the
// filters they give a command record.
//
//   -running -complete -pending -none   add that status name to the status filter
//   -status TEXT                        status filter values
//   -user -name -pid -pgrp -priority -cluster -cpus TEXT
//                                       one filter each on that field
//   then job ids: "12" (the whole job), "12.3" (subjob 3); "12." and "12.*"
//   name subjob 0. A lone "0" ends the list: it and every later word are
//   not used, so "-user bob 0" names bob's jobs by the filter alone; a
//   command left with neither a job id nor a filter is refused.
//
// A word that is not a job id ("abc", "12x", "-4", "00", a number beyond
// the id range) is refused with an error naming it, so that no request is
// ever sent about job 0, which no job carries.
#pragma once

#include <maya/MArgList.h>
#include <maya/MStatus.h>

#include "model/zx_command.h"
#include "model/zx_job_id.h"
#include "plugin/zx_option_parser.h"
#include "util/zx_string.h"

// Registers the job control options on `parser`, in their order.
void addJobOptions(OptionParser& parser);

// Reads one job id word; false when the word is not a job id.
bool readJobId(const ZxString& word, ZxJobId& out);

// Reads the arguments from `firstIndex` on into the request's job id list
// and filter list. True when the command should send the request; false
// when it should not, with `answer` set to what doIt returns (an error has
// been shown, or "-help" or "-version" answered). `melName` names the
// command in its usage text.
bool readJobArguments(const MArgList& args, unsigned int firstIndex, ZxCommand& request, const char* melName,
                      MStatus& answer);
