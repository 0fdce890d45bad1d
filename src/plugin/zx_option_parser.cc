// OptionParser: option registration, prefix matching, value checks and the
// error texts shown to the user.
#include "plugin/zx_option_parser.h"

#include <new>

#include "client/zx_version.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An optional sign followed by one or more digits.
bool isSignedInteger(const ZxString& s) {
  int i = (s.charAt(0) == '+' || s.charAt(0) == '-') ? 1 : 0;
  if (i >= s.length()) return false;
  for (; i < s.length(); ++i)
    if (!isDigit(s.charAt(i))) return false;
  return true;
}

bool isRangeText(const ZxString& s) {
  for (int i = 0; i < s.length(); ++i)
    if (!isDigit(s.charAt(i)) && s.charAt(i) != '-') return false;
  return true;
}

bool startsWith(const ZxString& name, const ZxString& prefix) {
  if (prefix.length() > name.length()) return false;
  for (int i = 0; i < prefix.length(); ++i)
    if (name.charAt(i) != prefix.charAt(i)) return false;
  return true;
}

}  // namespace

OptionParser::OptionParser() {
  addFlag("help");
  addFlag("version");
}

void OptionParser::add(int kind, const ZxString& name) {
  Option* option = zxNew<Option>();
  if (!option) return;
  option->kind = kind;
  option->name = name;
  options_.append(option);
}

const OptionParser::Option* OptionParser::find(const ZxString& name) const {
  for (int i = 0; i < options_.count(); ++i)
    if (options_.get(i)->name == name) return options_.get(i);
  return nullptr;
}

OptionParser::Option* OptionParser::match(const ZxString& word) {
  int dashes = 0;
  while (word.charAt(dashes) == '-') ++dashes;
  ZxString rest(word.c_str() + dashes, word.length() - dashes);
  for (int i = 0; i < options_.count(); ++i)
    if (options_.get(i)->name == rest) return options_.get(i);
  Option* found = nullptr;
  int matches = 0;
  if (!rest.isEmpty()) {
    for (int i = 0; i < options_.count(); ++i) {
      if (!startsWith(options_.get(i)->name, rest)) continue;
      found = options_.get(i);
      ++matches;
    }
  }
  if (matches == 1) return found;
  if (matches == 0) {
    errorText_.assign("ERROR: unknown option ").append(word).append('\n');
    return nullptr;
  }
  errorText_.assign("ERROR: ambiguous option '").append(word).append("'\n\tcould be:\n");
  for (int i = 0; i < options_.count(); ++i)
    if (startsWith(options_.get(i)->name, rest))
      errorText_.append("\t\t-").append(options_.get(i)->name).append('\n');
  return nullptr;
}

bool OptionParser::readValue(Option& option, const ZxString& word, const ZxString& value) {
  if (option.kind == kInteger) {
    if (value.isEmpty()) {
      errorText_.assign("ERROR: parameter '").append(word).append("' is blank\n");
      return false;
    }
    // A value such as "+-5" or "--" would pass a test that lets a lone "-"
    // count as an integer, and then read as 0: a sign must be followed by digits.
    if (!isSignedInteger(value)) {
      errorText_.assign("ERROR: parameter '").append(word).append("' is not an integer\n");
      return false;
    }
  } else if (option.kind == kIntegerRange) {
    if (value.isEmpty()) {
      errorText_.assign("ERROR: option expects an integer '").append(word).append("'");
      return false;
    }
    if (!isRangeText(value)) {
      errorText_.assign("ERROR: parameter '").append(value).append("' is not an integer\n");
      return false;
    }
  }
  option.value = value;
  return true;
}

bool OptionParser::parse(const ZxStringList& words) {
  positional_.clear();
  int count = words.count();
  int i = 0;
  for (; i < count; ++i) {
    const ZxString& word = *words.get(i);
    if (word.charAt(0) != '-' || word.isInteger()) break;
    Option* option = match(word);
    if (!option) return false;
    if (option->kind != kFlag) {
      if (i + 1 >= count) {
        errorText_.assign("ERROR: parameter '").append(word).append("' missing input\n");
        return false;
      }
      if (!readValue(*option, word, *words.get(++i))) return false;
    }
    option->present = true;
  }
  for (; i < count; ++i) positional_.add(*words.get(i));

  bool help = false, version = false;
  flag("help", help);
  flag("version", version);
  if (help) {
    errorText_ = usage();
    if (helpHandler_) helpHandler_(*this, helpContext_);
    return false;
  }
  if (version) {
    errorText_ = zxVersionText();
    if (versionHandler_) versionHandler_(*this, versionContext_);
    return false;
  }
  return true;
}

bool OptionParser::flag(const ZxString& name, bool& out) const {
  const Option* option = find(name);
  if (!option) return false;
  out = option->present;
  return true;
}

bool OptionParser::text(const ZxString& name, ZxString& out) const {
  const Option* option = find(name);
  if (!option || !option->present) return false;
  out = option->value;
  return true;
}

bool OptionParser::integer(const ZxString& name, int& out) const {
  const Option* option = find(name);
  if (!option || !option->present) return false;
  out = option->value.toInt();
  return true;
}

ZxString OptionParser::positionalAt(int i) const {
  const ZxString* word = positional_.get(i);
  return word ? *word : programName_;
}

ZxString OptionParser::usage() const {
  ZxString out("usage:");
  if (!programName_.isEmpty()) out.append(' ').append(programName_);
  out.append(" [options] [arguments]\noptions:\n");
  for (int i = 0; i < options_.count(); ++i) {
    const Option* option = options_.get(i);
    out.append("\t-").append(option->name);
    switch (option->kind) {
      case kText:
        out.append(" <text>");
        break;
      case kIntegerRange:
        out.append(" <range>");
        break;
      case kInteger:
        out.append(" <integer>");
        break;
      default:
        break;
    }
    out.append('\n');
  }
  return out;
}
