// OptionParser: reads a command line style word list (options beginning
// with "-", some taking the next word as their value, then positional
// words) for the job commands and zxjobinfo.
//
// Options are matched by their full name or by a prefix of exactly one
// registered name; any number of leading dashes is allowed. The first word
// that is not an option word ends the options: it and every later word are
// positional, whatever they look like. A word that passes the integer test
// ("-5", a lone "-") is never an option word.
//
// "help" and "version": every parser registers these two flags first. The
// parser lives inside Maya, where nothing may end the process, so when one
// of them is given parse() returns false with errorText holding the usage
// (for "help", which wins when both are given) or the version text "5.4-0".
// A command that shows errorText on failure therefore shows the usage or
// the version and does nothing else; flag("help") and flag("version") tell
// this case from a real error. A handler set with setHelpHandler() or
// setVersionHandler() is called with the parser just before parse()
// returns, after errorText has been set; it cannot change the outcome.
//
// Ownership: the parser owns its options and copies of the positional words.
#pragma once

#include "util/zx_base_list.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

class OptionParser {
 public:
  enum Kind { kFlag = 1, kText = 2, kIntegerRange = 3, kInteger = 4 };

  struct Option {
    int kind = kFlag;
    ZxString name;   // without dashes
    ZxString value;  // empty until given
    bool present = false;
  };

  using Handler = void (*)(const OptionParser& parser, void* context);

  OptionParser();
  OptionParser(const OptionParser&) = delete;
  OptionParser& operator=(const OptionParser&) = delete;

  void addFlag(const ZxString& name) { add(kFlag, name); }
  void addText(const ZxString& name) { add(kText, name); }
  void addIntegerRange(const ZxString& name) { add(kIntegerRange, name); }
  void addInteger(const ZxString& name) { add(kInteger, name); }

  void setHelpHandler(Handler handler, void* context = nullptr) {
    helpHandler_ = handler;
    helpContext_ = context;
  }
  void setVersionHandler(Handler handler, void* context = nullptr) {
    versionHandler_ = handler;
    versionContext_ = context;
  }

  // True on success; false with errorText() set on the first error, on
  // "help" and on "version". Options read before an error stay marked.
  bool parse(const ZxStringList& words);

  // False when no option has exactly this name; otherwise true, with `out`
  // telling whether it was given.
  bool flag(const ZxString& name, bool& out) const;
  // True with the value when the option is registered and was given.
  bool text(const ZxString& name, ZxString& out) const;
  bool integer(const ZxString& name, int& out) const;

  int positionalCount() const { return positional_.count(); }
  // The positional word at i; the program name (empty) when i is out of range.
  ZxString positionalAt(int i) const;

  const ZxString& errorText() const { return errorText_; }
  // The registered options, one per line, as shown for "help".
  ZxString usage() const;

  const ZxString& programName() const { return programName_; }
  void setProgramName(const ZxString& name) { programName_ = name; }

 private:
  void add(int kind, const ZxString& name);
  const Option* find(const ZxString& name) const;
  // The option an option word selects, or null with errorText_ set.
  Option* match(const ZxString& word);
  bool readValue(Option& option, const ZxString& word, const ZxString& value);

  ZxString programName_;
  ZxBaseList<Option> options_;
  ZxStringList positional_;
  ZxString errorText_;
  Handler helpHandler_ = nullptr;
  void* helpContext_ = nullptr;
  Handler versionHandler_ = nullptr;
  void* versionContext_ = nullptr;
};
