// How the last run ended, kept in status.json in the till folder for the
// people who look after the tills. Every text here is UTF-8.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tavrix {

struct StuckRecord {
  std::string kind, key, reason;
};

struct RunStatus {
  std::string version;                // of the program that ran it
  std::string started, ended;         // local time, "2018-03-15 12:34:56"
  std::string result;                 // "ok", "failed" or "stopped"
  std::string reason;                 // why it failed; empty when it did not
  std::string failedKind, failedKey;  // what it was working on then; empty for none
  int failCount = 0;
  bool timerArmed = false;
  std::vector<std::pair<std::string, int>> sent;  // records confirmed, per kind, in run order
  std::vector<StuckRecord> stuck;                 // records that failed every pass this run allowed
  // What this run could not do as well as it should, in plain sentences for
  // a store's IT: each names what it means and what to do.
  std::vector<std::string> warnings;

  void countSent(const std::string& kind, int records);
};

std::string toJson(const RunStatus& status);

// Where the last run's status is kept: status.json in the till folder.
std::string statusFile(const std::string& tillFolder);

// Replaces `path` at once: written beside it, then renamed over it, so a
// reader never sees half a file. Raises GeneralError when it cannot.
void writeStatusFile(const std::string& path, const RunStatus& status);

}  // namespace tavrix
