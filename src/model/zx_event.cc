// ZxEvent: trigger text reading and writing, category bits, encoded forms.
#include "model/zx_event.h"

#include "model/zx_flags.h"

ZxEvent::ZxEvent(int jobId, const ZxString& name)
    : category_(EventCategory::kJob), jobId_(jobId), name_(name) {}

ZxEvent::ZxEvent(int jobId, int subId, const ZxString& name)
    : category_(EventCategory::kSubjob), jobId_(jobId), subId_(subId), name_(name) {}

ZxEvent::ZxEvent(int jobId, const ZxString& workName, const ZxString& name)
    : category_(EventCategory::kWork), jobId_(jobId), textId_(workName), name_(name) {}

ZxEvent::ZxEvent(const ZxString& trigger) { fromTriggerText(trigger); }

namespace {
// "*" for any subjob (-2), the number otherwise.
void appendSubText(ZxString& out, int subId) {
  if (subId == -2)
    out.append('*');
  else
    out.appendInt(subId);
}
}  // namespace

void ZxEvent::fromTriggerText(const ZxString& text) {
  ZxTriggerReader reader(text);
  name_ = reader.next();
  category_ = EventCategory::valueOf(reader.next());
  switch (category_) {
    case EventCategory::kJob:
    case EventCategory::kClient:
      label_ = reader.next();
      break;
    case EventCategory::kSubjob: {
      label_ = reader.next();
      ZxString sub = reader.next();
      subId_ = (sub.isEmpty() || sub == "*") ? -2 : sub.toInt();
      break;
    }
    case EventCategory::kWork:
      label_ = reader.next();
      textId_ = reader.rest();  // work names may hold "-"
      break;
    case EventCategory::kVariable:
      label_ = reader.next();
      textId_ = reader.next();
      break;
    case EventCategory::kTime:
      label_ = reader.next();
      start_ = reader.next().toInt();
      break;
    case EventCategory::kRepeat:
      label_ = reader.next();
      start_ = reader.next().toInt();
      interval_ = reader.next().toInt();
      break;
    case EventCategory::kGlobalTime:
      start_ = reader.next().toInt();
      break;
    case EventCategory::kGlobalRepeat:
      start_ = reader.next().toInt();
      interval_ = reader.next().toInt();
      break;
    default:  // global: nothing more; unknown: nothing is read
      break;
  }
}

ZxString ZxEvent::triggerText() const {
  ZxString out(name_);
  out.append('-');
  switch (category_) {
    case EventCategory::kJob:
      out.append("job-").append(label_);
      break;
    case EventCategory::kSubjob:
      out.append("subjob-").append(label_).append('-');
      appendSubText(out, subId_);
      break;
    case EventCategory::kWork:
      out.append("work-").append(label_).append('-').append(textId_);
      break;
    case EventCategory::kVariable:
      out.append("variable-").append(label_).append('-').append(textId_);
      break;
    case EventCategory::kClient:
      out.append("client-").append(label_);
      break;
    case EventCategory::kTime:
      out.append("time-").append(label_).append('-').appendInt(start_);
      break;
    case EventCategory::kRepeat:
      out.append("repeat-").append(label_).append('-').appendInt(start_).append('-').appendInt(interval_);
      break;
    case kHostCategory:
      out.append("host-").append(label_).append('-').append(textId_);
      break;
    case EventCategory::kGlobal:
      out.append("global");
      break;
    case EventCategory::kGlobalTime:
      out.append("globaltime-").appendInt(start_);
      break;
    case EventCategory::kGlobalRepeat:
      out.append("globalrepeat-").appendInt(start_).append('-').appendInt(interval_);
      break;
    default:
      break;
  }
  return out;
}

ZxString ZxEvent::jobTriggerText() const {
  ZxString out(name_);
  out.append('-');
  switch (category_) {
    case EventCategory::kJob:
      out.append("job-").appendInt(jobId_);
      break;
    case EventCategory::kSubjob:
      out.append("subjob-").appendInt(jobId_).append('-');
      appendSubText(out, subId_);
      break;
    case EventCategory::kWork:
      out.append("work-").appendInt(jobId_).append('-').append(textId_);
      break;
    case EventCategory::kClient:
      out.append("client-").appendInt(jobId_);
      break;
    default:
      break;
  }
  return out;
}

int ZxEvent::categoryBit() const {
  switch (category_) {
    case EventCategory::kJob:
      return 0x1;
    case EventCategory::kSubjob:
      return 0x2;
    case EventCategory::kWork:
      return 0x4;
    case EventCategory::kVariable:
      return 0x20;
    case EventCategory::kClient:
      return 0x40;
    case EventCategory::kTime:
      return 0x80;
    case EventCategory::kRepeat:
      return 0x100;
    case EventCategory::kGlobal:
      return 0x400;
    case EventCategory::kGlobalTime:
      return 0x800;
    case EventCategory::kGlobalRepeat:
      return 0x1000;
    default:
      return 0;
  }
}

int ZxEvent::pidMod(int n) const { return (pid_ < 0 || n < 1) ? -1 : pid_ % n; }

void ZxEvent::encodeFields() {
  putInt(1, category_);
  putString(11, label_);
  putInt(2, jobId_);
  putInt(3, subId_);
  putString(4, textId_);
  putString(8, name_);
  putString(7, extra_);
  putInt(5, start_);
  putInt(6, interval_);
  putInt(9, flag_);
  putInt(10, callback_);
  putInt(12, pid_);
  putInt(13, id_);
}

void ZxEvent::decodeField() {
  getInt(1, category_);
  getString(11, label_);
  getInt(2, jobId_);
  getInt(3, subId_);
  getString(4, textId_);
  getString(8, name_);
  getString(7, extra_);
  getInt(5, start_);
  getInt(6, interval_);
  getInt(9, flag_);
  getInt(10, callback_);
  getInt(12, pid_);
  getInt(13, id_);
}

void ZxEvent::encodeTextFields() {
  putTextInt("category", category_);
  putTextString("label", label_);
  putTextInt("job_id", jobId_);
  putTextInt("sub_id", subId_);
  putTextString("text_id", textId_);
  putTextString("name", name_);
  putTextString("extra", extra_);
  putTextInt("start", start_);
  putTextInt("interval", interval_);
  putTextInt("flag", flag_);
  putTextInt("callback", callback_);
  putTextInt("pid", pid_);
  putTextInt("id", id_);
}

void ZxEvent::decodeTextFields() {
  getTextInt("category", category_);
  getTextString("label", label_);
  getTextInt("job_id", jobId_);
  getTextInt("sub_id", subId_);
  getTextString("text_id", textId_);
  getTextString("name", name_);
  getTextString("extra", extra_);
  getTextInt("start", start_);
  getTextInt("interval", interval_);
  getTextInt("flag", flag_);
  getTextInt("callback", callback_);
  getTextInt("pid", pid_);
  getTextInt("id", id_);
}
