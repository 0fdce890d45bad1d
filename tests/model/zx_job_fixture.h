// A job with every field set to a value other than its default, every
// nested list holding two items, and child jobs two levels deep; and a
// field-by-field image of a job for comparisons that name the field.
#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/zx_job.h"

namespace zxtest {

// Fills a subjob, work item, callback and variable with values that differ
// from their defaults; `seed` makes the items of one list differ.
inline ZxSubjob* makeSubjob(int seed) {
  ZxSubjob* s = new ZxSubjob;
  s->setId(seed);
  s->setPid(500 + seed);
  s->setHost(("render-node-0" + std::to_string(seed)).c_str());
  s->setStatus(ZxStatus(336));
  s->setAddress(ZxAddress(ZxString("10.0.0.7")));
  s->setData("sub data & more");
  s->setResult("ok");
  s->setMacAddress(ZxMacAddress(ZxString("0:1a:2b:3c:4d:5e")));
  s->setRetry(2);
  s->setCount(3);
  s->setLastUpdate(ZxTime(1000 + seed));
  s->setSeq(4);
  s->setTimeStart(ZxTime(2000));
  s->setTimeComplete(ZxTime(3000));
  return s;
}

inline ZxWork* makeWork(int seed) {
  ZxWork* w = new ZxWork;
  w->setName(std::to_string(100 + seed).c_str());
  w->setSubId(seed);
  w->setHost("render-node-12");
  w->setStatus(ZxStatus(16));
  w->setAddress(ZxAddress(ZxString("192.168.1.20")));
  w->setPid(500);
  w->setData("frame data");
  w->setId(seed);
  w->setResult("rendered");
  w->setRetry(1);
  w->setCount(2);
  w->setDependency("after 99");
  w->setPercent(75);
  w->setLastUpdate(ZxTime(11));
  w->setSeq(12);
  w->setTimeStart(ZxTime(13));
  w->setTimeComplete(ZxTime(14));
  w->setMacAddress(ZxMacAddress(ZxString("aa:bb:cc:dd:ee:ff")));
  return w;
}

inline ZxCallback* makeCallback(int seed) {
  ZxCallback* c = new ZxCallback;
  c->setId(seed);
  c->setPid(500);
  c->setCode("print('done')");
  c->setTriggers("done-job-self");
  c->setLanguage(2);
  c->setMaximum(3);
  c->setCount(1);
  c->setUser("alice");
  c->setReady("1");
  c->setLastUpdate(ZxTime(77));
  return c;
}

inline ZxVariable* makeVariable(int seed) {
  ZxVariable* v = new ZxVariable(500);
  v->setName(("var" + std::to_string(seed)).c_str());
  v->setValue("value");
  v->setScope(1);
  v->setLastUpdate(ZxTime(88));
  return v;
}

// `levels`: how many generations of children below this job.
inline void fillJob(ZxJob& j, int levels, int seed = 0) {
  j.setId(500 + seed);
  j.setPid(400);
  j.setPriority(50);
  j.setLocalOrder(3);
  j.setGlobalOrder(4);
  j.setPgrp(300);
  j.setUser("alice");
  j.setDomain("STUDIO");
  j.setPassword("secret");
  j.setStatus(ZxStatus(320));
  for (int i = 0; i < 2; ++i) j.subjobs().append(makeSubjob(i));
  j.setName("shot_010 & lighting");
  j.setCpus(4);
  j.setTodo(2);
  j.setCluster("/lighting");
  j.setRequirements("host.os=linux");
  j.setReservations("host.processors=2");
  j.setRestrictions("/lighting/*");
  j.setGroups("fast");
  j.setHosts("node1,node2");
  j.setHostOrder("-host.memory");
  j.setData("{scene=shot_010.mb}");
  j.setQueue("night");
  j.setPrototype("maya");
  j.setPath("/opt/zx/jobtypes");
  j.setReason("waiting for hosts");
  j.setLogpath("/logs/500");
  j.cpusTally().add(336, 1);
  j.todoTally().add(16, 2);
  j.setTimeSubmit(ZxTime(101));
  j.setTimeStart(ZxTime(102));
  j.setTimeComplete(ZxTime(103));
  j.setFlags(0x404);
  j.setLabel("lbl");
  j.setAccount("acct");
  j.env().keys().add("PATH");
  j.env().keys().add("HOME");
  j.env().values().add("/usr/bin");
  j.env().values().add("/home/alice");
  j.env().setUmask(18);
  j.env().setCwd("/home/alice/shots");
  j.env().mounts().insert("/mnt/a", "server:/a");
  j.env().mounts().insert("/mnt/b", "server:/b");
  j.setKind("render");
  j.setServerId(7);
  j.setLastUpdate(ZxTime(104));
  j.setTimeout(3600);
  for (int i = 0; i < 2; ++i) j.variables().append(makeVariable(i));
  j.setAgendaStatus(ZxStatus(272));
  j.setSubjobStatus(ZxStatus(304));
  j.pathMap().logicalMap().insert("proj", "/projects");
  j.pathMap().logicalMap().insert("tex", "/textures");
  j.pathMap().directMap().insert("X:", "/mnt/x");
  j.pathMap().directMap().insert("Y:", "/mnt/y");
  j.setRetrySubjob(2);
  j.setRetryWork(3);
  j.setOmitHosts("badnode");
  j.setOmitGroups("slow");
  j.setDependency("link-done-job-12");
  j.setDeadline(ZxTime(105));
  j.setMailAddress("alice@example.com");
  j.setNotes("notes");
  j.setPrototypePath("/opt/zx/jobtypes/maya");
  j.setSourceHost(ZxAddress(ZxString("10.1.2.3")));
  j.setImmediateCpus(1);
  j.setMaskStatus(ZxStatus(48));
  j.setEta(ZxTime(106));
  for (int i = 0; i < 2; ++i) j.agenda().append(makeWork(i));
  for (int i = 0; i < 2; ++i) j.callbacks().append(makeCallback(i));
  if (levels > 0) {
    for (int i = 0; i < 2; ++i) {
      ZxJob* child = new ZxJob;
      fillJob(*child, levels - 1, seed * 10 + i + 1);
      j.children().append(child);
    }
  }
}

template <class T>
std::string fieldImage(T& v) {
  if constexpr (std::is_same_v<T, int>) {
    return std::to_string(v);
  } else if constexpr (std::is_same_v<T, ZxString>) {
    return std::string(v.c_str(), static_cast<size_t>(v.length()));
  } else {
    T copy(v);  // the binary form, encoded from a copy
    int n = copy.pack();
    return std::string(copy.buffer(), static_cast<size_t>(n));
  }
}

// (element name, image) for every field of the job, in encoding order.
inline std::vector<std::pair<std::string, std::string>> fieldImages(ZxJob& job) {
  std::vector<std::pair<std::string, std::string>> out;
  job.forEachField([&](int, const char* name, auto& value) { out.emplace_back(name, fieldImage(value)); });
  return out;
}

}  // namespace zxtest
