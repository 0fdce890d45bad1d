// Job queries: queryJobs() asks the supervisor (request 100) for the jobs
// that match a query record and hands them back. The filters of a query
// are built with makeFilter() (model/zx_filter.h), which this header
// offers too.
//
// A failure writes one line to standard error and leaves its reason in the
// last error (client/zx_last_error.h):
//   no supervisor answered: "ERROR: unable to contact supervisor.", the
//     transport's error;
//   a refusal (reply tag 4): the supervisor's error;
//   an answer without content: "ERROR: data returned blank", 2052;
//   an answer that is not a job list: "ERROR: list object returned
//     invalid. - <content type>", 2053 (value ID: the content type).
#pragma once

#include "model/zx_filter.h"
#include "model/zx_job.h"
#include "model/zx_query.h"

// `query` stays the caller's, unchanged (it is only encoded); the matching
// jobs are appended to `jobs`, which owns them. True on success.
bool queryJobs(ZxQuery& query, ZxJobList& jobs);
