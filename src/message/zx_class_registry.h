// The class registry: recreates the packable classes that travel as the
// content of a message from their class number. Stateless.
#pragma once

#include <vector>

#include "serial/zx_pack.h"

// A new, default-constructed object of the class with that number, owned
// by the caller; containers come back as their packable side. For a
// number the registry does not know: the log line
// "trying to decode unregistered class: <number>" and null.
ZxPack* createObject(int classNumber);

// Whether createObject() knows the number (nothing is logged).
bool isRegisteredClass(int classNumber);

// Every number createObject() knows, in increasing order.
std::vector<int> registeredClassNumbers();
