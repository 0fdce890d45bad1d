// Callback libraries: files that a job type names under "callback_library",
// whose callbacks are added to every job of the type.
#pragma once

#include "model/zx_callback.h"
#include "util/zx_string.h"

// Reads the callback library `file` (a sectioned configuration text) into
// `callbacks`: one callback per section, in the order of the section list,
// that has a non-empty "language" and "code". The section's name becomes the
// callback's trigger string (a library section is named after the events it
// fires on); "max", when non-empty, its maximum. Other sections are skipped.
// A missing file adds nothing.
void loadCallbacks(const ZxString& file, ZxCallbackList& callbacks);
