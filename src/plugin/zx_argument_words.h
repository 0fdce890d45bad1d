// The words of a command's MEL arguments, for the commands that read their
// arguments as a word list (options, job ids, job hashes).
//
// A string array argument gives its elements, in order, as words of their
// own, so that `zxkill $ids` and `zxsubmit $jobs` work on every element;
// any other argument gives the one word MArgList::asString() reads (an
// integer as its decimal text).
#pragma once

#include <maya/MArgList.h>

#include "model/zx_string_list.h"

// Appends the words of the arguments from `first` on to `words`.
void argumentWords(const MArgList& args, unsigned int first, ZxStringList& words);
