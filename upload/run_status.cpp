#include "upload/run_status.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/errors.h"
#include "platform/text/big5.h"
#include "platform/text/folders.h"

namespace tavrix {

namespace {

nlohmann::ordered_json textOrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

}  // namespace

void RunStatus::countSent(const std::string& kind, int records) {
  for (auto& [name, count] : sent)
    if (name == kind) {
      count += records;
      return;
    }
  sent.emplace_back(kind, records);
}

std::string toJson(const RunStatus& s) {
  nlohmann::ordered_json j;
  j["result"] = s.result;
  j["started"] = s.started;
  j["ended"] = s.ended;
  j["version"] = s.version;
  j["reason"] = textOrNull(s.reason);
  j["failedAt"] = s.failedKind.empty()
                      ? nlohmann::ordered_json()
                      : nlohmann::ordered_json{{"kind", s.failedKind}, {"key", s.failedKey}};
  j["failCount"] = s.failCount;
  j["timerArmed"] = s.timerArmed;
  j["sent"] = nlohmann::ordered_json::object();
  for (const auto& [kind, count] : s.sent) j["sent"][kind] = count;
  j["stuck"] = nlohmann::ordered_json::array();
  for (const StuckRecord& r : s.stuck)
    j["stuck"].push_back({{"kind", r.kind}, {"key", r.key}, {"reason", r.reason}});
  j["warnings"] = s.warnings;
  // A text that is no valid UTF-8 still makes a file: bad bytes become U+FFFD.
  return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string statusFile(const std::string& tillFolder) {
  return tillFolder + "status.json";
}

void writeStatusFile(const std::string& path, const RunStatus& status) {
  std::string temporary = path + ".tmp";
  text::writeFile(temporary, toJson(status));
  if (!text::replaceFile(temporary, path)) {
    text::removeFile(temporary);
    throw GeneralError("Cannot replace \"" + text::nameInBig5(path) + "\"");
  }
}

}  // namespace tavrix
