// MPxCommand's default virtual operations and its result and message calls,
// which write the host's current result slot or forward to the host.
#include <maya/MPxCommand.h>
#include <mayahost/host.h>

#include <cstdio>
#include <string>

using mayahost::CommandResult;

MPxCommand::~MPxCommand() = default;
MStatus MPxCommand::doIt(const MArgList&) { return MStatus::kFailure; }
MStatus MPxCommand::undoIt() { return MStatus::kFailure; }
MStatus MPxCommand::redoIt() { return MStatus::kFailure; }
bool MPxCommand::isUndoable() const { return false; }
bool MPxCommand::hasSyntax() const { return false; }

void MPxCommand::clearResult() { mayahost::currentResult().clear(); }

void MPxCommand::setResult(const MString& value) {
  CommandResult& r = mayahost::currentResult();
  r.clear();
  r.kind = CommandResult::Kind::kString;
  r.text = value.str();
}
void MPxCommand::setResult(const char* value) { setResult(MString(value)); }
void MPxCommand::setResult(int value) {
  CommandResult& r = mayahost::currentResult();
  r.clear();
  r.kind = CommandResult::Kind::kInt;
  r.number = value;
}
void MPxCommand::setResult(bool value) { setResult(value ? 1 : 0); }
void MPxCommand::setResult(double value) {
  CommandResult& r = mayahost::currentResult();
  r.clear();
  r.kind = CommandResult::Kind::kFloat;
  r.real = value;
}

void MPxCommand::setResult(const MStringArray& value) {
  CommandResult& r = mayahost::currentResult();
  r.clear();
  r.kind = CommandResult::Kind::kStringArray;
  r.array.reserve(value.length());
  for (const MString& s : value.items()) r.array.push_back(s.str());
}

namespace {
// Appending makes the result an array; a scalar result already set becomes
// its first element.
CommandResult& arrayResult() {
  CommandResult& r = mayahost::currentResult();
  switch (r.kind) {
    case CommandResult::Kind::kStringArray:
      break;
    case CommandResult::Kind::kNone:
      r.kind = CommandResult::Kind::kStringArray;
      break;
    case CommandResult::Kind::kString:
      r.array = {r.text};
      r.kind = CommandResult::Kind::kStringArray;
      break;
    case CommandResult::Kind::kInt:
      r.array = {std::to_string(r.number)};
      r.kind = CommandResult::Kind::kStringArray;
      break;
    case CommandResult::Kind::kFloat: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%g", r.real);  // as MArgList writes floats
      r.array = {buf};
      r.kind = CommandResult::Kind::kStringArray;
      break;
    }
  }
  return r;
}
}  // namespace

void MPxCommand::appendToResult(const MString& value) { arrayResult().array.push_back(value.str()); }
void MPxCommand::appendToResult(const char* value) { appendToResult(MString(value)); }
void MPxCommand::appendToResult(const MStringArray& value) {
  CommandResult& r = arrayResult();
  for (const MString& s : value.items()) r.array.push_back(s.str());
}

void MPxCommand::displayError(const MString& message) {
  if (auto* h = mayahost::host())
    h->displayError(message);
  else
    std::fprintf(stderr, "// Error: %s //\n", message.asChar());
}
void MPxCommand::displayWarning(const MString& message) {
  if (auto* h = mayahost::host())
    h->displayWarning(message);
  else
    std::fprintf(stderr, "// Warning: %s //\n", message.asChar());
}
void MPxCommand::displayInfo(const MString& message) {
  if (auto* h = mayahost::host())
    h->displayInfo(message);
  else
    std::fprintf(stderr, "%s\n", message.asChar());
}
