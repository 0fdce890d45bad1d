// The query that zxjobinfo sends, read from its words:
//
//   -running -complete -pending -none   the status filter, by status code
//                                       (336, 16, 320, 0)
//   -user NAME                          jobs of NAME; "-user all": every user's
//   -long                               each job with its subjobs
//   then job ids, joined with "," into the one value of the id filter (the
//   supervisor reads the list).
//
// Without -user the query asks for the jobs of the user the process runs
// as.
#pragma once

#include <maya/MStatus.h>

#include "model/zx_query.h"
#include "model/zx_string_list.h"

// Fills `query` from `words`. True when the command should send it; false
// with `answer` set to what doIt returns (an error shown, or "-help" or
// "-version" answered).
bool readJobinfoQuery(const ZxStringList& words, ZxQuery& query, MStatus& answer);
