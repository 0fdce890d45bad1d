// What the supervisor commands hand back to MEL besides their records: the
// failure lines of an exchange, the empty list result, and the answer to
// "-help" and "-version".
#pragma once

#include <maya/MStatus.h>

#include "model/zx_err.h"
#include "model/zx_string_list.h"
#include "plugin/zx_option_parser.h"

// The readable line of an error: its message, followed by ": " and the
// system's reason (the value ERROR) when the code's line does not show it,
// as for a connection that could not be made ("unable to connect to host:
// Connection refused").
ZxString errorLine(const ZxErr& error);

// Shows "couldn't obtain data from supervisor." and, on a second line, the
// reason the client operation left in the last error (errorLine(): the
// transport's error, or the supervisor's refusal), so that a wrong port can
// be told from a refusal. The last error is copied before it is formatted.
void showSupervisorFailure();

// Sets the result to a string array with nothing in it, so that a MEL
// script assigning the result to a string[] gets an empty array.
void setEmptyListResult();

// Parses `words` with `parser`; true when the command should go on. When it
// should not, `answer` is what doIt returns: for "-help" or "-version"
// (read through to the end of the words) the usage or the version text
// becomes the string result and the answer is success, since asking is no
// error and nothing else is done; for an option error the parser's text is
// shown and the answer is failure.
bool parseCommandWords(OptionParser& parser, const ZxStringList& words, MStatus& answer);
