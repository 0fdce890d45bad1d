// ZxEvent: one trigger event of a callback (class 16, "event"), the parsed
// form of a trigger text such as "timeout-subjob-self-*", and ZxEventList
// (class 17, "event_list"), the packable list of events.
//
// An event owns its strings by value; copies are deep. The list owns its
// events.
#pragma once

#include "model/zx_list.h"
#include "model/zx_trigger.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxEvent : public ZxPack {
 public:
  // The category of host events, written by triggerText() but not read
  // back (it is not an event category name).
  static constexpr int kHostCategory = 32;

  ZxEvent() = default;
  // A job event: category job, the job number and the event's name.
  ZxEvent(int jobId, const ZxString& name);
  // A subjob event (subId -2: any subjob).
  ZxEvent(int jobId, int subId, const ZxString& name);
  // A work event: the work item's name goes into text_id.
  ZxEvent(int jobId, const ZxString& workName, const ZxString& name);
  // Default construction, then fromTriggerText(trigger).
  explicit ZxEvent(const ZxString& trigger);
  ZxEvent(const ZxEvent&) = default;
  ZxEvent& operator=(const ZxEvent&) = default;
  ~ZxEvent() override = default;

  int typeId() const override { return 16; }
  const char* typeName() const override { return "event"; }

  // Reads a trigger text: the name, the category, then the parts the
  // category names. Fields the category does not name keep their values.
  void fromTriggerText(const ZxString& text);
  // The trigger text of this event, with the label naming the job.
  ZxString triggerText() const;
  // The same shape with the job number in place of the label; only job,
  // subjob, work and client events have more than "name-".
  ZxString jobTriggerText() const;

  bool isGlobal() const { return category_ > 127; }
  // The category's mask bit; 0 for categories without one.
  int categoryBit() const;
  // The job number modulo n; -1 when the job number is negative or n < 1.
  int pidMod(int n) const;

  int category() const { return category_; }
  void setCategory(int v) { category_ = v; }
  const ZxString& label() const { return label_; }
  void setLabel(const ZxString& v) { label_ = v; }
  int jobId() const { return jobId_; }
  void setJobId(int v) { jobId_ = v; }
  int subId() const { return subId_; }
  void setSubId(int v) { subId_ = v; }
  const ZxString& textId() const { return textId_; }
  void setTextId(const ZxString& v) { textId_ = v; }
  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  const ZxString& extra() const { return extra_; }
  void setExtra(const ZxString& v) { extra_ = v; }
  int start() const { return start_; }
  void setStart(int v) { start_ = v; }
  int interval() const { return interval_; }
  void setInterval(int v) { interval_ = v; }
  int flag() const { return flag_; }
  void setFlag(int v) { flag_ = v; }
  int callback() const { return callback_; }
  void setCallback(int v) { callback_ = v; }
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  int id() const { return id_; }
  void setId(int v) { id_ = v; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  int category_ = 4;  // unknown
  ZxString label_;
  int jobId_ = -1;
  int subId_ = -1;
  ZxString textId_;
  ZxString name_;
  ZxString extra_;
  int start_ = 0;
  int interval_ = -1;
  int flag_ = 0;
  int callback_ = -1;
  int pid_ = -1;
  int id_ = 0;
};

class ZxEventList : public ZxList<ZxEvent> {
 public:
  int typeId() const override { return 17; }
  const char* typeName() const override { return "event_list"; }
};
