// The process-wide last error: one ZxErr that the submit and query
// operations fill before they report failure, and that the commands read,
// format and show. It is never cleared: a successful operation leaves it as
// it was. Shared without a lock (the library runs on one thread).
//
// Callers that show it copy it into a local ZxErr first and format the copy.
#pragma once

#include "model/zx_err.h"

class ZxMessage;

// The last error, constructed when the module loads (code 0, no values)
// and destroyed when it unloads.
ZxErr& lastError();

// Fills `target` from a refusal reply, by the class of the reply's content:
//   an "error" record (class 52): the value ERROR becomes its text and the
//     code 100000, so the message is the supervisor's text itself;
//   a ZxErr (class 175): its code and every named value are copied;
//   anything else, or no content: the code becomes 2051 ("unspecifed error").
// The content's own class decides, not the reply's declared content_type,
// so a reply whose declared type does not match what it carries is never
// read as the wrong class. Values that are not replaced stay.
void fillErrorFromReply(ZxErr& target, const ZxMessage& reply);

// fillErrorFromReply() on lastError().
void fillLastErrorFromReply(const ZxMessage& reply);
