// ZxConfigFile: reading, writing and template rewriting of key = value files.
#include "config/zx_config_file.h"

#include "os/zx_os_files.h"
#include "model/zx_string_list.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads the value that starts at `pos` (blanks after "=" already skipped) and
// leaves `pos` just after its last byte.
ZxString readValue(const char* text, int size, int& pos) {
  ZxString value;
  if (pos >= size) return value;
  char first = text[pos];
  if (first == '"' || first == '\'') {
    int start = ++pos;
    while (pos < size && text[pos] != first && text[pos] != '\n') ++pos;
    for (int i = start; i < pos; ++i)
      if (text[i] != '\r') value.append(text[i]);
    if (pos < size && text[pos] == first) ++pos;
    return value;
  }
  if (first == '{') {
    int depth = 1;
    int start = ++pos;
    while (pos < size) {
      char c = text[pos];
      if (c == '{') {
        ++depth;
      } else if (c == '}' && --depth == 0) {
        break;
      }
      ++pos;
    }
    for (int i = start; i < pos; ++i)
      if (text[i] != '\r') value.append(text[i]);
    if (pos < size) ++pos;  // the closing brace
    return value;
  }
  int start = pos;
  while (pos < size) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == '#' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c >= 0x80) break;
    ++pos;
  }
  value.assign(text + start, pos - start);
  return value;
}

void skipPastLineEnd(const char* text, int size, int& pos) {
  while (pos < size && text[pos] != '\n') ++pos;
  if (pos < size) ++pos;
}

bool containsAny(const ZxString& s, const char* set) {
  for (int i = 0; i < s.length(); ++i)
    for (const char* p = set; *p; ++p)
      if (s.charAt(i) == *p) return true;
  return false;
}

bool hasHighByte(const ZxString& s) {
  for (int i = 0; i < s.length(); ++i)
    if (static_cast<unsigned char>(s.charAt(i)) >= 0x80) return true;
  return false;
}

bool isLower(char c) { return c >= 'a' && c <= 'z'; }

const char kMarkerLine[] = "# these are not included in the template";

}  // namespace

ZxConfigFile::ZxConfigFile(const ZxString& path) { load(path); }

ZxConfigFile::ZxConfigFile(const ZxConfigFile& other)
    : ZxPack(other), values_(other.values_), name_(other.name_), loaded_(other.loaded_) {}

ZxConfigFile& ZxConfigFile::operator=(const ZxConfigFile& other) {
  if (this != &other) {
    values_ = other.values_;
    name_ = other.name_;
    loaded_ = other.loaded_;
  }
  return *this;
}

bool ZxConfigFile::load(const ZxString& path) {
  ZxString text;
  if (!zxos::readFile(path, text)) return false;
  loaded_ = true;
  parse(text);
  return true;
}

void ZxConfigFile::parse(const ZxString& source) {
  const char* text = source.c_str();
  int size = source.length();
  int pos = 0;
  while (pos < size) {
    char c = text[pos];
    if (isBlank(c) || c == '\n') {
      ++pos;
      continue;
    }
    if (c == '#') {
      skipPastLineEnd(text, size, pos);
      continue;
    }
    if (c == '[') {
      while (pos < size && text[pos] != ']') ++pos;
      if (pos < size) ++pos;
      continue;
    }
    // An assignment: the key runs to the first "=", blanks dropped.
    ZxString key;
    while (pos < size && text[pos] != '=' && text[pos] != '\n' && text[pos] != '#') {
      if (!isBlank(text[pos])) key.append(text[pos]);
      ++pos;
    }
    if (pos >= size) break;
    if (text[pos] != '=') {  // LF or "#" first: nothing defined, resume after it
      ++pos;
      continue;
    }
    ++pos;
    if (pos >= size) break;  // "=" at the very end defines nothing
    while (pos < size && isBlank(text[pos])) ++pos;
    ZxString value = readValue(text, size, pos);
    set(key, value);
    skipPastLineEnd(text, size, pos);
  }
}

const ZxString& ZxConfigFile::get(const ZxString& key) const {
  const ZxString* value = values_.find(key);
  return value ? *value : empty_;
}

void ZxConfigFile::set(const ZxString& key, const ZxString& value) { values_.insert(key, value); }

void ZxConfigFile::keys(ZxStringList& out) const {
  out.clear();
  values_.copyKeys(out);
}

void ZxConfigFile::encodeFields() {
  putString(1, name_);
  putObject(2, values_);
}

void ZxConfigFile::decodeField() {
  getString(1, name_);
  getObject(2, values_);
}

void ZxConfigFile::encodeTextFields() {
  putTextString("name", name_);
  putTextObject("values", values_);
}

void ZxConfigFile::decodeTextFields() {
  getTextString("name", name_);
  getTextObject("values", values_);
}

void ZxConfigFile::appendPair(ZxString& out, const ZxString& key, const ZxString& value) {
  out.append(key).append(" = ");
  char first = value.charAt(0);
  bool braced = value.hasLineBreak();
  bool quoted = !braced && (containsAny(value, " \t#") || hasHighByte(value) || first == '"' ||
                            first == '\'' || first == '{');
  if (quoted) {
    if (!value.contains('"')) {
      out.append('"').append(value).append('"');
    } else if (!value.contains('\'')) {
      out.append('\'').append(value).append('\'');
    } else {
      braced = true;  // both quotes inside: braces are the only form left
    }
  }
  if (braced) {
    out.append('{').append(value).append('}');
  } else if (!quoted) {
    out.append(value);
  }
  out.append('\n');
}

ZxString ZxConfigFile::listing() const {
  ZxStringList names;
  keys(names);
  ZxString out;
  for (int i = 0; i < names.count(); ++i) appendPair(out, *names.get(i), get(*names.get(i)));
  return out;
}

ZxString ZxConfigFile::rewrite(const ZxString& templatePath) const {
  ZxString text;
  zxos::readFile(templatePath, text);
  return rewriteText(text);
}

ZxString ZxConfigFile::rewriteText(const ZxString& templateText) const {
  ZxString out;
  ZxStringHash written;  // keys written (and names commented) so far
  const char* text = templateText.c_str();
  int size = templateText.length();
  int pos = 0;
  while (pos < size) {
    // One logical line: up to an LF outside braces.
    int start = pos;
    int depth = 0;
    while (pos < size) {
      char c = text[pos];
      if (c == '{') {
        ++depth;
      } else if (c == '}' && depth > 0) {
        --depth;
      } else if (c == '\n' && depth == 0) {
        break;
      }
      ++pos;
    }
    ZxString line(text + start, pos - start);
    if (pos < size) ++pos;  // the LF
    if (line.isEmpty()) {
      out.append('\n');
      continue;
    }
    bool comment = line.charAt(0) == '#';
    bool done = false;
    int n = line.length();
    for (int i = 0; i < n && !done;) {
      if (!isLower(line.charAt(i))) {
        ++i;
        continue;
      }
      ZxString name;
      while (i < n && line.charAt(i) != '=' && line.charAt(i) != '.') {
        char c = line.charAt(i);
        if (c != ' ' && c != '\t') name.append(c);
        ++i;
      }
      if (i >= n || line.charAt(i) != '=') break;  // the run did not end at "="
      ++i;
      if (has(name)) {
        if (!written.find(name)) {
          appendPair(out, name, get(name));
          written.insert(name, ZxString());
          done = true;
        } else if (!comment) {
          // The key was written above; kept as a comment so that it cannot
          // replace that value when the file is read.
          out.append('#').append(line).append('\n');
          done = true;
        }
      } else if (!comment) {
        out.append('#').append(line).append('\n');
        written.insert(name, ZxString());
        done = true;
      }
    }
    if (done) continue;
    ZxString bare = line;
    if (bare.charAt(bare.length() - 1) == '\r') bare = ZxString(line.c_str(), line.length() - 1);
    if (bare == kMarkerLine) continue;
    out.append(line).append('\n');
  }
  ZxStringList names;
  keys(names);
  ZxStringList missing;
  for (int i = 0; i < names.count(); ++i)
    if (!written.find(*names.get(i))) missing.add(*names.get(i));
  if (missing.count() > 0) {
    missing.sort();
    out.append(kMarkerLine).append('\n');
    for (int i = 0; i < missing.count(); ++i) appendPair(out, *missing.get(i), get(*missing.get(i)));
    out.append('\n');
  }
  return out;
}

bool ZxConfigFile::writeRewritten(const ZxString& templatePath, const ZxString& targetPath) const {
  return zxos::writeFile(targetPath, rewrite(templatePath));
}
