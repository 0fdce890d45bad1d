// The UI built-ins of the MEL host: a record of menus and menu items.
//
//   menu [-label TEXT] [-parent NAME] [-tearOff BOOL] [NAME]
//                         creates a menu under NAME or the current parent
//                         and makes it the current menu; answers its name
//   menu -exists NAME     1 when a menu of that name exists, else 0
//   menu -query -label NAME / -query -itemArray NAME
//   menuItem [-label TEXT] [-command TEXT] [-annotation TEXT] [-divider BOOL]
//            [-subMenu BOOL] [-tearOff BOOL] [-enable BOOL] [-parent NAME]
//            [NAME]       adds an item to the current menu; a sub-menu item
//                         becomes the current menu
//   menuItem -exists NAME
//   setParent [-menu] NAME|..
//                         sets the current parent (with -menu the current
//                         menu); ".." goes one level up; answers the parent
//   deleteUI [-menu|-menuItem|-control|-window] NAME...
//                         deletes the items with everything under them
//   zxhost_ui             host only: the names of the existing menus and
//                         items, in creation order
//   zxhost_ui -describe NAME
//                         host only: "kind|parent|label|command" of an item
//   zxhost_ui -run NAME   host only: runs an item's command as a click would
//
// Names are the short names; a second item of the same name is refused, as
// the names here must find one item.
#include "zx_mel_ui_commands.h"

#include <algorithm>
#include <vector>

#include "zx_mel_interpreter.h"

namespace mel {
namespace {

struct UiItem {
  std::string kind;  // "menu" or "menuItem"
  std::string name;
  std::string parent;
  std::string label;
  std::string command;
  std::string annotation;
  bool divider = false;
  bool subMenu = false;
};

// The UI of the one interpreter the host runs.
struct UiState {
  std::vector<UiItem> items;  // creation order
  std::string parent;         // the current layout or window
  std::string menu;           // the current menu
  int counter = 0;            // for generated names
};

UiState& ui() {
  static UiState state;
  return state;
}

UiItem* findItem(const std::string& name) {
  for (UiItem& item : ui().items)
    if (item.name == name) return &item;
  return nullptr;
}

// The flags of one command: long and short spelling, and whether a value
// follows.
struct FlagRule {
  const char* longName;
  const char* shortName;
  bool takesValue;
};

const FlagRule kMenuFlags[] = {
    {"label", "l", true},       {"parent", "p", true},
    {"tearOff", "to", true},    {"exists", "ex", false},
    {"query", "q", false},      {"edit", "e", false},
    {"itemArray", "ia", false}, {"allowOptionBoxes", "aob", true},
};
const FlagRule kMenuItemFlags[] = {
    {"label", "l", true},    {"command", "c", true},  {"annotation", "ann", true}, {"divider", "d", true},
    {"subMenu", "sm", true}, {"tearOff", "to", true}, {"enable", "en", true},      {"parent", "p", true},
    {"exists", "ex", false}, {"query", "q", false},   {"optionBox", "ob", true},   {"checkBox", "cb", true},
};

struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> flags;  // long name, value
  std::vector<std::string> operands;
  bool has(const char* name) const {
    for (const auto& f : flags)
      if (f.first == name) return true;
    return false;
  }
  std::string value(const char* name) const {
    for (const auto& f : flags)
      if (f.first == name) return f.second;
    return "";
  }
};

template <size_t N>
bool parseArgs(Interpreter& in, const char* command, const FlagRule (&rules)[N], std::vector<Value>& args,
               ParsedArgs& out) {
  // In query mode the flags name what is asked for and take no value.
  bool query = false;
  for (const Value& v : args) {
    std::string word = asText(v);
    if (word == "-q" || word == "-query") query = true;
  }
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = asText(args[i]);
    bool isFlag =
        args[i].kind == Value::Kind::kString && word.size() > 1 && word[0] == '-' && out.operands.empty();
    if (!isFlag) {
      out.operands.push_back(word);
      continue;
    }
    std::string flag = word.substr(1);
    const FlagRule* rule = nullptr;
    for (const FlagRule& s : rules)
      if (flag == s.longName || flag == s.shortName) rule = &s;
    if (!rule) return in.reportError(std::string(command) + ": Invalid flag '" + word + "'");
    std::string value;
    if (rule->takesValue && !query) {
      if (i + 1 >= args.size())
        return in.reportError(std::string(command) + ": Flag '" + word + "' needs a value.");
      value = asText(args[++i]);
    }
    out.flags.emplace_back(rule->longName, value);
  }
  return true;
}

// MEL's boolean flag values: "true", "on", "yes" or a non-zero number.
bool truthText(const std::string& v) {
  return !v.empty() && v != "0" && v != "false" && v != "off" && v != "no";
}

std::string newName(const char* kind) {
  for (;;) {
    std::string name = std::string(kind) + std::to_string(++ui().counter);
    if (!findItem(name)) return name;
  }
}

bool existsQuery(Interpreter& in, const char* command, const char* kind, const ParsedArgs& p, Value& out) {
  if (p.operands.size() != 1) return in.reportError(std::string(command) + ": -exists needs one name.");
  const UiItem* item = findItem(p.operands[0]);
  out = Value::ofInt(item && item->kind == kind ? 1 : 0);
  return true;
}

bool builtinMenu(Interpreter& in, std::vector<Value>& args, Value& out) {
  ParsedArgs p;
  if (!parseArgs(in, "menu", kMenuFlags, args, p)) return false;
  if (p.has("exists")) return existsQuery(in, "menu", "menu", p, out);
  if (p.has("query")) {
    if (p.operands.size() != 1) return in.reportError("menu: -query needs one menu name.");
    const UiItem* menu = findItem(p.operands[0]);
    if (!menu || menu->kind != "menu")
      return in.reportError("menu: Object '" + p.operands[0] + "' not found.");
    if (p.has("label")) {
      out = Value::ofString(menu->label);
    } else if (p.has("itemArray")) {
      std::vector<std::string> names;
      for (const UiItem& item : ui().items)
        if (item.parent == menu->name) names.push_back(item.name);
      out = Value::ofStrings(names);
    } else {
      return in.reportError("menu: -query needs -label or -itemArray.");
    }
    return true;
  }
  if (p.has("edit")) {
    if (p.operands.size() != 1) return in.reportError("menu: -edit needs one menu name.");
    UiItem* menu = findItem(p.operands[0]);
    if (!menu || menu->kind != "menu")
      return in.reportError("menu: Object '" + p.operands[0] + "' not found.");
    if (p.has("label")) menu->label = p.value("label");
    return true;
  }
  if (p.operands.size() > 1) return in.reportError("menu: too many names.");
  UiItem item;
  item.kind = "menu";
  item.name = p.operands.empty() ? newName("menu") : p.operands[0];
  if (findItem(item.name)) return in.reportError("menu: Object's name '" + item.name + "' is not unique.");
  item.parent = p.has("parent") ? p.value("parent") : ui().parent;
  item.label = p.has("label") ? p.value("label") : item.name;
  ui().items.push_back(item);
  ui().menu = item.name;
  out = Value::ofString(item.name);
  return true;
}

bool builtinMenuItem(Interpreter& in, std::vector<Value>& args, Value& out) {
  ParsedArgs p;
  if (!parseArgs(in, "menuItem", kMenuItemFlags, args, p)) return false;
  if (p.has("exists")) return existsQuery(in, "menuItem", "menuItem", p, out);
  if (p.has("query")) {
    if (p.operands.size() != 1 || !p.has("label"))
      return in.reportError("menuItem: -query needs -label and a name.");
    const UiItem* item = findItem(p.operands[0]);
    if (!item || item->kind != "menuItem")
      return in.reportError("menuItem: Object '" + p.operands[0] + "' not found.");
    out = Value::ofString(item->label);
    return true;
  }
  if (p.operands.size() > 1) return in.reportError("menuItem: too many names.");
  UiItem item;
  item.kind = "menuItem";
  item.parent = p.has("parent") ? p.value("parent") : ui().menu;
  const UiItem* parent = findItem(item.parent);
  if (!parent || (parent->kind != "menu" && !parent->subMenu))
    return in.reportError("menuItem: no menu to add the item to.");
  item.name = p.operands.empty() ? newName("menuItem") : p.operands[0];
  if (findItem(item.name))
    return in.reportError("menuItem: Object's name '" + item.name + "' is not unique.");
  item.label = p.value("label");
  item.command = p.value("command");
  item.annotation = p.value("annotation");
  item.divider = p.has("divider") && truthText(p.value("divider"));
  item.subMenu = p.has("subMenu") && truthText(p.value("subMenu"));
  ui().items.push_back(item);
  if (item.subMenu) ui().menu = item.name;
  out = Value::ofString(item.name);
  return true;
}

bool builtinSetParent(Interpreter& in, std::vector<Value>& args, Value& out) {
  bool menu = false;
  std::vector<std::string> operands;
  for (const Value& v : args) {
    std::string word = asText(v);
    if (word == "-menu" || word == "-m")
      menu = true;
    else
      operands.push_back(word);
  }
  if (operands.size() != 1) return in.reportError("setParent: one parent name is needed.");
  std::string& current = menu ? ui().menu : ui().parent;
  if (operands[0] == "..") {
    const UiItem* item = findItem(current);
    current = item ? item->parent : "";
  } else {
    if (menu) {
      const UiItem* item = findItem(operands[0]);
      if (!item || (item->kind != "menu" && !item->subMenu))
        return in.reportError("setParent: Object '" + operands[0] + "' not found.");
    }
    current = operands[0];
  }
  out = Value::ofString(current);
  return true;
}

bool builtinDeleteUI(Interpreter& in, std::vector<Value>& args, Value&) {
  std::string kind;  // empty: any kind
  std::vector<std::string> names;
  for (const Value& v : args) {
    std::string word = asText(v);
    if (word == "-menu" || word == "-m")
      kind = "menu";
    else if (word == "-menuItem" || word == "-mi")
      kind = "menuItem";
    else if (word == "-control" || word == "-ctl" || word == "-window" || word == "-wnd")
      kind.clear();
    else
      names.push_back(word);
  }
  if (names.empty()) return in.reportError("deleteUI: no object to delete.");
  for (const std::string& name : names) {
    const UiItem* item = findItem(name);
    if (!item || (!kind.empty() && item->kind != kind))
      return in.reportError("deleteUI: Object '" + name + "' not found.");
    // Everything under the item goes with it: collect the names level by level.
    std::vector<std::string> doomed = {name};
    for (size_t i = 0; i < doomed.size(); ++i)
      for (const UiItem& other : ui().items)
        if (other.parent == doomed[i]) doomed.push_back(other.name);
    auto& items = ui().items;
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&doomed](const UiItem& it) {
                                 return std::find(doomed.begin(), doomed.end(), it.name) != doomed.end();
                               }),
                items.end());
    for (const std::string& gone : doomed) {
      if (ui().menu == gone) ui().menu.clear();
      if (ui().parent == gone) ui().parent.clear();
    }
  }
  return true;
}

bool builtinUi(Interpreter& in, std::vector<Value>& args, Value& out) {
  if (args.empty()) {
    std::vector<std::string> names;
    for (const UiItem& item : ui().items) names.push_back(item.name);
    out = Value::ofStrings(names);
    return true;
  }
  if (args.size() != 2) return in.reportError("zxhost_ui: use no argument, -describe NAME or -run NAME.");
  std::string flag = asText(args[0]), name = asText(args[1]);
  const UiItem* item = findItem(name);
  if (!item) return in.reportError("zxhost_ui: Object '" + name + "' not found.");
  if (flag == "-describe") {
    out = Value::ofString(item->kind + "|" + item->parent + "|" + item->label + "|" + item->command);
    return true;
  }
  if (flag == "-run") {
    std::string command = item->command;  // the command may delete the item
    if (command.empty()) return true;
    return in.executeText(command, true, &out);
  }
  return in.reportError("zxhost_ui: Invalid flag '" + flag + "'");
}

const BuiltinCommand kUiBuiltins[] = {
    {"menu", builtinMenu},         {"menuItem", builtinMenuItem}, {"setParent", builtinSetParent},
    {"deleteUI", builtinDeleteUI}, {"zxhost_ui", builtinUi},
};

}  // namespace

const BuiltinCommand* findUiBuiltin(const std::string& name) {
  for (const BuiltinCommand& b : kUiBuiltins)
    if (name == b.name) return &b;
  return nullptr;
}

}  // namespace mel
