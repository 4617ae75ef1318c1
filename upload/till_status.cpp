#include "upload/till_status.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/localdb/client.h"
#include "platform/localdb/query.h"
#include "platform/text/big5.h"
#include "platform/text/folders.h"
#include "upload/run_status.h"
#include "upload/start_up.h"

namespace tavrix {

using Json = nlohmann::ordered_json;

namespace {

// status.json, or null when there is none or it cannot be read.
Json lastRunOf(const std::string& text) {
  if (text.empty()) return Json();
  Json j = Json::parse(text, nullptr, false);
  return j.is_object() ? j : Json();
}

std::string textOf(const Json& j, const char* name) {
  auto it = j.find(name);
  return it != j.end() && it->is_string() ? it->get<std::string>() : "";
}

}  // namespace

std::vector<PendingTable> pendingTables(localdb::SqlConnection& till) {
  std::vector<PendingTable> out;
  for (const KindTable& t : kindTables()) {
    localdb::SqlQuery q(till);
    q.setSql(std::string("SELECT COUNT(*), MIN(") + t.dateColumn + ") FROM " + t.local +
             " WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y'");
    q.open();
    const int64_t* count = q.field(0).value().get<int64_t>();
    out.push_back({&t, count ? *count : 0, q.field(1).isNull() ? "" : q.field(1).asString()});
  }
  return out;
}

TillStatus readTillStatus(const std::string& tillFolder) {
  TillStatus status;
  status.tillFolder = tillFolder;
  try {
    status.machineNo = readMachineNo(tillFolder);
  } catch (const std::exception&) {
    // shown as unreadable; the database may still tell what waits
  }
  try {
    status.settings = readRunSettings(tillFolder);
  } catch (const std::exception& e) {
    status.settingsError = e.what();  // shown: the programs would not start
  }
  localdb::SqlConnection till;
  setStartUpParams(till, tillDatabase(tillFolder));
  till.open();
  status.client = localdb::client().location;
  status.tables = pendingTables(till);
  status.lastRun = text::readFile(statusFile(tillFolder)).value_or("");
  return status;
}

std::string statusText(const TillStatus& s) {
  std::string out = "till     " + s.tillFolder + "\n";
  out += "machine  " +
         (s.machineNo.empty() ? "(MCH_NO.TXT unreadable)" : text::big5ToUtf8(s.machineNo)) + "\n";
  out += "client   " + s.client + "\n";
  out += "settings " +
         (s.settingsError.empty() ? describe(s.settings) : text::big5ToUtf8(s.settingsError)) +
         "\n\n";
  out += "kind          table           pending  oldest\n";
  for (const PendingTable& p : s.tables) {
    char line[128];
    std::snprintf(line, sizeof line, "%-13s %-14s %8lld  %s\n", p.table->name, p.table->local,
                  static_cast<long long>(p.pending), p.oldest.empty() ? "-" : p.oldest.c_str());
    out += line;
  }

  Json run = lastRunOf(s.lastRun);
  if (run.is_null()) return out + "\nlast run    none recorded\n";
  out += "\nlast run    " + textOf(run, "result") + ", " + textOf(run, "started") + " to " +
         textOf(run, "ended") + "\n";
  if (std::string version = textOf(run, "version"); !version.empty())
    out += "version     " + version + "\n";
  if (std::string reason = textOf(run, "reason"); !reason.empty())
    out += "reason      " + reason + "\n";
  if (auto at = run.find("failedAt"); at != run.end() && at->is_object())
    out += "working on  " + textOf(*at, "kind") + " " + textOf(*at, "key") + "\n";
  out += "failed runs " + run.value("failCount", Json(0)).dump() + " in a row; timer " +
         (run.value("timerArmed", false) ? "armed again" : "off") + "\n";
  std::string sent;
  Json counts = run.value("sent", Json::object());
  for (const auto& [kind, count] : counts.items())
    sent += (sent.empty() ? "" : ", ") + kind + " " + count.dump();
  out += "sent        " + (sent.empty() ? "nothing" : sent) + "\n";
  for (const Json& r : run.value("stuck", Json::array()))
    out += "stuck       " + textOf(r, "kind") + " " + textOf(r, "key") + ": " +
           textOf(r, "reason") + "\n";
  for (const Json& w : run.value("warnings", Json::array()))
    if (w.is_string()) out += "warning     " + w.get<std::string>() + "\n";
  return out;
}

std::string statusJson(const TillStatus& s) {
  Json j;
  j["till"] = s.tillFolder;
  j["machine"] = s.machineNo.empty() ? Json() : Json(text::big5ToUtf8(s.machineNo));
  j["client"] = s.client;
  j["settings"] = s.settingsError.empty()
                      ? Json{{"boxes", s.settings.boxes ? 1 : 0},
                             {"catchUp", s.settings.catchUp ? 1 : 0},
                             {"watchMinutes", s.settings.watchMinutes},
                             {"foreignSaleGuard", s.settings.foreignSaleGuard ? 1 : 0}}
                      : Json{{"error", text::big5ToUtf8(s.settingsError)}};
  j["kinds"] = Json::array();
  for (const PendingTable& p : s.tables)
    j["kinds"].push_back(
        {{"name", p.table->name},
         {"table", p.table->local},
         {"pending", p.pending},
         {"oldest", p.oldest.empty() ? Json() : Json(text::big5ToUtf8(p.oldest))}});
  j["lastRun"] = lastRunOf(s.lastRun);
  return j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tavrix
