// ZxCallback: trigger string expansion, language names, encoded forms.
#include "model/zx_callback.h"

#include <new>

#include "model/zx_flags.h"
#include "model/zx_string_hash.h"
#include "model/zx_trigger.h"
#include "util/zx_out_of_memory.h"

// Duplicates are removed by keeping the trigger texts already seen as keys
// of a string hash. The events follow the order in which each trigger text
// first occurs rather than the hash's slot order, so the result does not
// depend on the table size the hash happened to grow to.
// The tokens are read one at a time, so only the distinct trigger texts
// are kept, whatever else the string holds.
void ZxCallback::events(ZxEventList& list) const {
  ZxTriggerTokenizer tokenizer(triggers_);
  ZxStringHash seen;
  ZxString token;
  while (tokenizer.next(token)) {
    if (!isValidTrigger(token) || seen.find(token)) continue;
    if (!seen.insert(token, ZxString())) continue;  // out of memory
    if (ZxEvent* event = zxNew<ZxEvent>(token)) list.append(event);
  }
}

ZxString ZxCallback::languageText() const { return ZxString(CallbackLanguage::nameOf(language_)); }

void ZxCallback::setLanguageText(const ZxString& name) { language_ = CallbackLanguage::valueOf(name); }

int ZxCallback::pidMod(int n) const { return (pid_ < 0 || n < 1) ? -1 : pid_ % n; }

void ZxCallback::encodeFields() {
  putInt(1, id_);
  putInt(10, pid_);
  putString(3, code_);
  putString(6, triggers_);
  putInt(2, language_);
  putInt(5, max_);
  putInt(4, count_);
  putString(9, user_);
  putString(8, ready_);
  putObject(11, lastUpdate_);
}

void ZxCallback::decodeField() {
  getInt(1, id_);
  getInt(10, pid_);
  getString(3, code_);
  getString(6, triggers_);
  getInt(2, language_);
  getInt(5, max_);
  getInt(4, count_);
  getString(9, user_);
  getString(8, ready_);
  getObject(11, lastUpdate_);
}

void ZxCallback::encodeTextFields() {
  putTextInt("id", id_);
  putTextInt("pid", pid_);
  putTextString("code", code_);
  putTextString("triggers", triggers_);
  putTextInt("language", language_);
  putTextInt("max", max_);
  putTextInt("count", count_);
  putTextString("user", user_);
  putTextString("ready", ready_);
  putTextObject("lastupdate", lastUpdate_);
}

void ZxCallback::decodeTextFields() {
  getTextInt("id", id_);
  getTextInt("pid", pid_);
  getTextString("code", code_);
  getTextString("triggers", triggers_);
  getTextInt("language", language_);
  getTextInt("max", max_);
  getTextInt("count", count_);
  getTextString("user", user_);
  getTextString("ready", ready_);
  getTextObject("lastupdate", lastUpdate_);
}
