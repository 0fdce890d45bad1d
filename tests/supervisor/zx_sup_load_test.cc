// Load and fault tests of the zxsupervisor program: 32 client processes
// submitting and querying at once (every id unique, the database holding
// exactly the accepted jobs, every answer the asker's own), the supervisor
// killed with SIGKILL under that load and restarted on its database (no
// accepted job lost, no id given twice), and clients whose supervisor
// stops answering or dies mid-exchange (a clear error within their time
// limit).
#include <signal.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "zx_sup_client.h"
#include "zx_sup_process.h"

namespace {

using zxtest::Child;
using zxtest::Supervisor;
using zxtest::TempFolder;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

constexpr int kClients = 32;
constexpr int kRounds = 50;

// Starts the load clients: each submits kRounds jobs named TAG-0, TAG-1,
// ... and queries each one back.
std::vector<Child> startClients(int port, int timeoutMs) {
  std::vector<Child> clients(kClients);
  for (int i = 0; i < kClients; ++i) {
    const bool ok = clients[i].start({ZX_SUPERVISOR_PROBE_PATH, "--port", std::to_string(port), "--timeout",
                                      std::to_string(timeoutMs), "load", "--repeat", std::to_string(kRounds),
                                      "--tag", "c" + std::to_string(i)});
    EXPECT_TRUE(ok);
  }
  return clients;
}

// Takes an "accepted ID NAME" line into `accepted`; false for a repeated id.
bool takeLine(const std::string& line, std::map<int, std::string>& accepted, int* lines) {
  if (line.rfind("accepted ", 0) != 0) return true;
  const size_t space = line.find(' ', 9);
  const int id = std::atoi(line.substr(9, space - 9).c_str());
  ++*lines;
  return accepted.emplace(id, line.substr(space + 1)).second;
}

// Every job of the database file, id to name, read directly.
std::map<int, std::string> storedJobs(const std::string& db) {
  std::map<int, std::string> jobs;
  sqlite3* raw = nullptr;
  if (sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << db;
    sqlite3_close(raw);
    return jobs;
  }
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(raw, "SELECT id, name FROM jobs ORDER BY id", -1, &st, nullptr);
  while (st && sqlite3_step(st) == SQLITE_ROW)
    jobs.emplace(sqlite3_column_int(st, 0), reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
  sqlite3_finalize(st);
  sqlite3_close(raw);
  return jobs;
}

TEST(SupervisorLoad, ConcurrentClientsGetUniqueIdsAndNothingIsLost) {
  TempFolder folder;
  const std::string db = folder.file("jobs.db");
  Supervisor supe;
  ASSERT_TRUE(supe.start(db, {"--quiet"}));
  const long long start = zxtest::nowMs();
  std::vector<Child> clients = startClients(supe.port(), 20000);
  std::map<int, std::string> accepted;
  for (int i = 0; i < kClients; ++i) {
    SCOPED_TRACE(i);
    const std::string out = clients[i].readAll(60000);
    ASSERT_TRUE(clients[i].wait(10000));
    EXPECT_EQ(clients[i].status(), 0) << out;
    // This client's answers, in its order, each for its own request.
    int round = 0, lines = 0;
    size_t from = 0;
    for (size_t nl = out.find('\n'); nl != std::string::npos; from = nl + 1, nl = out.find('\n', from)) {
      const std::string line = out.substr(from, nl - from);
      EXPECT_TRUE(takeLine(line, accepted, &lines)) << "an id was given twice: " << line;
      EXPECT_EQ(line.substr(line.rfind(' ') + 1), "c" + std::to_string(i) + "-" + std::to_string(round++));
    }
    EXPECT_EQ(lines, kRounds);
  }
  std::printf("%d clients x %d submits and queries in %lld ms\n", kClients, kRounds, zxtest::nowMs() - start);
  EXPECT_EQ(accepted.size(), static_cast<size_t>(kClients * kRounds));
  EXPECT_EQ(supe.stop(), 0);
  EXPECT_EQ(storedJobs(db), accepted) << "the database holds exactly the accepted jobs";
}

TEST(SupervisorLoad, KilledUnderLoadItLosesNoAcceptedJobAndGivesNoIdTwice) {
  TempFolder folder;
  const std::string db = folder.file("jobs.db");
  Supervisor supe;
  ASSERT_TRUE(supe.start(db, {"--quiet"}));
  std::vector<Child> clients = startClients(supe.port(), 3000);
  std::map<int, std::string> accepted;
  int lines = 0;
  // Let the load run until a few hundred jobs are in, then kill it.
  const long long end = zxtest::nowMs() + 60000;
  while (lines < 300 && zxtest::nowMs() < end) {
    std::string line;
    for (Child& c : clients)
      while (c.readLine(line, 0)) EXPECT_TRUE(takeLine(line, accepted, &lines)) << line;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GE(lines, 300);
  supe.process().kill(SIGKILL);
  ASSERT_TRUE(supe.process().wait(10000));
  for (Child& c : clients) {
    std::string line;
    while (c.readLine(line, 20000)) EXPECT_TRUE(takeLine(line, accepted, &lines)) << line;
    ASSERT_TRUE(c.wait(20000));
    // Finished before the kill (0), or saw the exchange fail (3); never a wrong answer.
    EXPECT_TRUE(c.status() == 0 || c.status() == 3) << c.status();
  }
  EXPECT_EQ(static_cast<int>(accepted.size()), lines);

  Supervisor again;
  ASSERT_TRUE(again.start(db));
  zxsup::Client client("127.0.0.1", again.port(), 10000);
  ZxQuery all;
  ZxString error;
  std::unique_ptr<ZxJobList> stored = client.query(all, error);
  ASSERT_TRUE(stored) << str(error);
  std::map<int, std::string> byId;
  for (int i = 0; i < stored->count(); ++i) byId[stored->get(i)->id()] = str(stored->get(i)->name());
  for (const auto& a : accepted) {
    auto it = byId.find(a.first);
    ASSERT_NE(it, byId.end()) << "accepted job " << a.first << " was lost";
    EXPECT_EQ(it->second, a.second);
  }
  ZxJobList one;
  one.append(zxsup::makeJob("after the crash", 1));
  std::unique_ptr<ZxJobList> next = client.submit(one, error);
  ASSERT_TRUE(next) << str(error);
  EXPECT_GT(next->get(0)->id(), byId.rbegin()->first) << "the next id is above every earlier one";
  EXPECT_EQ(again.stop(), 0);
}

TEST(SupervisorLoad, ClientsOfAStoppedOrDeadSupervisorGetAClearError) {
  Supervisor supe;
  ASSERT_TRUE(supe.start(":memory:"));
  const int port = supe.port();
  supe.process().kill(SIGSTOP);

  // No answer comes: the receive times out.
  zxsup::Client patient("127.0.0.1", port, 500);
  ZxTime t;
  ZxString error;
  long long start = zxtest::nowMs();
  EXPECT_FALSE(patient.time(t, error));
  EXPECT_EQ(patient.error().code(), 15) << str(error);
  EXPECT_LT(zxtest::nowMs() - start, 3000);

  // The supervisor dies while a request waits for it.
  std::atomic<bool> finished{false};
  int code = 0;
  long long took = 0;
  std::thread waiting([&] {
    zxsup::Client client("127.0.0.1", port, 8000);
    ZxTime unused;
    ZxString why;
    const long long begin = zxtest::nowMs();
    EXPECT_FALSE(client.time(unused, why));
    code = client.error().code();
    took = zxtest::nowMs() - begin;
    finished = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(finished);
  supe.process().kill(SIGKILL);
  waiting.join();
  EXPECT_TRUE(code == 16 || code == 17) << code;
  EXPECT_LT(took, 6000) << "the client learns of the death, it does not sit out its time limit";

  // And with nobody there at all, the probe says so.
  const zxtest::ProbeRun run = zxtest::probe(port, {"--timeout", "2000", "time"}, 10000);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "error: unable to connect to host\n");
}

}  // namespace
