// ZxCallback: one callback of a job (class 46, "callback"): code in one of
// the callback languages, or a built-in action, and the trigger string that
// says when it fires; ZxCallbackList (class 47, "callback_list"), the
// packable list of callbacks.
//
// A callback owns its strings and its time stamp by value; copies are
// deep. The list owns its callbacks.
#pragma once

#include "model/zx_event.h"
#include "model/zx_list.h"
#include "model/zx_time.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxCallback : public ZxPack {
 public:
  ZxCallback() = default;
  ZxCallback(const ZxCallback&) = default;
  ZxCallback& operator=(const ZxCallback&) = default;
  ~ZxCallback() override = default;

  int typeId() const override { return 46; }
  const char* typeName() const override { return "callback"; }

  // Appends to `list` one event per distinct valid trigger text of the
  // trigger string, in the order of first occurrence. Tokens that are not
  // trigger texts (parentheses, connective words) are dropped.
  void events(ZxEventList& list) const;

  // The language through the CallbackLanguage names; an unknown name
  // stores 5 ("unknown").
  ZxString languageText() const;
  void setLanguageText(const ZxString& name);

  // The job number modulo n; -1 when the job number is negative or n < 1.
  int pidMod(int n) const;

  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  const ZxString& code() const { return code_; }
  void setCode(const ZxString& v) { code_ = v; }
  const ZxString& triggers() const { return triggers_; }
  void setTriggers(const ZxString& v) { triggers_ = v; }
  int language() const { return language_; }
  void setLanguage(int v) { language_ = v; }
  // How many times the callback may fire ("max"); -1: no limit given.
  int maximum() const { return max_; }
  void setMaximum(int v) { max_ = v; }
  int count() const { return count_; }
  void setCount(int v) { count_ = v; }
  const ZxString& user() const { return user_; }
  void setUser(const ZxString& v) { user_ = v; }
  const ZxString& ready() const { return ready_; }
  void setReady(const ZxString& v) { ready_ = v; }
  const ZxTime& lastUpdate() const { return lastUpdate_; }
  ZxTime& lastUpdate() { return lastUpdate_; }
  void setLastUpdate(const ZxTime& v) { lastUpdate_ = v; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  int id_ = -1;
  int pid_ = -1;
  ZxString code_;
  ZxString triggers_;
  // Callers set the language; a fresh callback says "unknown" (5) until then.
  int language_ = 5;
  int max_ = -1;
  int count_ = 0;
  ZxString user_;
  ZxString ready_ = "0";
  ZxTime lastUpdate_;
};

class ZxCallbackList : public ZxList<ZxCallback> {
 public:
  int typeId() const override { return 47; }
  const char* typeName() const override { return "callback_list"; }
};
