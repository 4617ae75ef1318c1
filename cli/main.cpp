// tavrix-upload: the upload engine without a window. Runs one upload run, or
// with --auto the auto-run cycle exactly as the upload timer drives it, and prints every
// log line as it is written.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/lock/till_lock.h"
#include "platform/service/service.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "platform/text/clock.h"
#include "platform/text/folders.h"
#include "platform/text/number_text.h"
#include "service/head_office_service.h"
#include "upload/program_version.h"
#include "upload/start_up.h"
#include "upload/till_status.h"
#include "upload/upload_engine.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace tavrix;

namespace {

const char kUsage[] = R"(usage: tavrix-upload [mode] [date] [options]
       tavrix-upload --status [--json]
       tavrix-upload --version
       tavrix-upload --service

Uploads the till's records to the head office, as the till program does.
  mode      0: records not yet transferred (default); 1: the deletion log, key
            log and clock-in records of one day are sent again
  date      the day for mode 1, as yyyy/mm/dd (default: today)
Options:
  --auto              run the auto-run cycle: a first run after the first
                      interval, the next one after the second interval while
                      sales are pending (or a failed run may retry), until the
                      timer stays off
  --intervals A,B     the two timer intervals in ms (default 1000,3000)
  --status            uploads nothing: shows per data kind the rows waiting in
                      the till and the oldest date among them, the settings
                      in force, then how the last run ended (status.json);
                      exit status 1 when the till's database cannot be read
  --json              with --status: one JSON object instead of a table
  --service           for the Windows service manager only: the installed
                      service TavrixUpload runs the program this way, as
                      "0 --auto" with the [run] settings, always watching
                      (every 5 minutes where watch_minutes is 0)
  --version           the program's version and source revision, the TLS
                      library, and the database client it would load
  --help              this text
The till folder (MCH_NO.TXT, httpset.ini, Data/POS_LOC.GDB) is TAVRIX_HOME,
or else the folder of this program. One uploader runs on a till at a time: a
second one exits 1 at once. Exit status: 0 when the last run ended
normally, 1 when it failed, 2 for bad usage or a bad setting in httpset.ini.
SIGINT and SIGTERM stop it at once between runs, or during a run at its next
safe point (every row stays as it is and goes with a later run): exit status
130 and 143.
)";

// Log lines to stdout as UTF-8, message boxes as lines of their own.
class TerminalHost : public UploadHost {
 public:
  text::Date date;
  int selectedMode = 0;
  bool timerArmed = false;

  void show(const std::string& text) override { print("[" + text + "]"); }
  void addProgressLine(const std::string& line) override {
    print(line);
    ++memo1Lines_;
  }
  void clearProgress() override { memo1Lines_ = 0; }
  int progressLineCount() const override { return memo1Lines_; }
  void addFailureLine(const std::string& line) override { print("! " + line); }
  void setCaption(const std::string&) override {}
  int kindCount() const override { return 9; }
  void tickKind(int) override {}
  int mode() const override { return selectedMode; }
  text::Date oneDayDate() const override { return date; }
  void armUploadTimer() override { timerArmed = true; }
  void armUploadTimerAfter(std::chrono::minutes delay) override {
    timerArmed = true;
    watchDelay = delay;
  }
  std::optional<std::chrono::milliseconds> watchDelay;  // the next tick's, once

 private:
  static void print(const std::string& big5) {
    std::string line = text::big5ToUtf8(big5);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  int memo1Lines_ = 0;
};

// --status: the till's database read-only and status.json; nothing is sent.
int showStatus(bool json) {
  TillStatus status;
  try {
    status = readTillStatus(text::tillFolder());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrix-upload: cannot read the till's database: %s\n",
                 text::big5ToUtf8(e.what()).c_str());
    return 1;
  }
  std::fputs((json ? statusJson(status) : statusText(status)).c_str(), stdout);
  return 0;
}

int usageError(const std::string& what) {
  std::fprintf(stderr, "tavrix-upload: %s\n(tavrix-upload --help shows the usage)\n", what.c_str());
  return 2;
}

// How this upload goes: one run or the cycle, or the cycle as a service.
struct Upload {
  std::vector<std::string> positional;
  bool autoRun = false;
  std::chrono::milliseconds first{1000}, next{3000};
  bool asService = false;
};

// A service keeps watching even where watch_minutes says not to: nobody is
// there to press F1.
constexpr int kServiceWatchMinutes = 5;

// The auto-run cycle as the upload timer drives it: start-up arms the timer;
// every tick disarms it and sets the longer interval, and a run may arm it
// again.
void autoRun(UploadEngine& engine, TerminalHost& host, const Upload& how) {
  host.timerArmed = true;
  for (auto interval = how.first; host.timerArmed; interval = host.watchDelay.value_or(how.next)) {
    host.watchDelay.reset();
    if (stop::sleepFor(interval)) break;
    host.timerArmed = false;
    engine.uploadTimerTick();
  }
}

// How the upload ended, said on stderr; the exit status.
int exitStatus(const UploadEngine& engine, const Upload& how) {
  if (stop::requested()) {
    int signal = stop::signalNumber();
    std::fprintf(stderr, "tavrix-upload: stopped by %s; nothing unconfirmed was marked\n",
                 signal == SIGINT ? "SIGINT" : "SIGTERM");
    // The service manager's stop is the service's clean end.
    if (how.asService) return 0;
    return 128 + (signal == SIGINT ? SIGINT : SIGTERM);
  }
  if (engine.lastRunFailed()) {
    std::fprintf(stderr, "tavrix-upload: the run failed: %s\n",
                 text::big5ToUtf8(engine.lastFailure()).c_str());
    return 1;
  }
  return 0;
}

// One run, or the auto-run cycle, on the till of this folder; the exit status.
int upload(const Upload& how) {
  text::SystemClock clock;
  std::string till = text::tillFolder();
  // A service has no terminal: its start-up errors go to the run log too.
  auto startUpError = [&](int status, const std::string& utf8) {
    std::fprintf(stderr, "tavrix-upload: %s\n", utf8.c_str());
    if (how.asService) RunLog(clock, till).write("Error", text::nameInBig5(utf8));
    return status;
  };
  // One uploader per till: two would send and mark the same records at once.
  lock::TillLock lock(till);
  if (!lock.failure().empty()) return startUpError(1, lock.failure());
  if (!lock.held()) {
    std::string pid = lock.holder() > 0 ? " (process " + std::to_string(lock.holder()) + ")" : "";
    return startUpError(1, "another uploader is running on this till" + pid);
  }
  TerminalHost host;
  HostBox box;
  HeadOfficeService http(clock, box, till, text::rootFolder());
  UploadEngine engine(host, http, clock, text::rootFolder(), till);
  box.host = &engine.host();

  StartUp s = engine.startUp(how.positional, clock.now().date);
  host.selectedMode = s.mode;
  host.date = s.date;
  if (std::string error = engine.readSettings(); !error.empty())
    return startUpError(2, text::big5ToUtf8(error));
  // The standard error box, on stderr; the program goes on, as the window
  // does. A service ends instead, for the service manager to show.
  if (!s.error.empty()) {
    if (how.asService) return startUpError(1, text::big5ToUtf8(s.error));
    std::fprintf(stderr, "[%s]\n", text::big5ToUtf8(s.error).c_str());
  }
  if (how.asService && engine.settings.watchMinutes == 0) {
    engine.settings.watchMinutes = kServiceWatchMinutes;
    RunLog(clock, till)
        .write("Service", "watch_minutes=0: as a service it looks again every " +
                              std::to_string(kServiceWatchMinutes) + " minutes");
  }

  if (how.autoRun)
    autoRun(engine, host, how);
  else
    engine.run();
  return exitStatus(engine, how);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);  // the lines are written as UTF-8
#endif
  Upload how;
  bool status = false, json = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::fputs(versionReport("tavrix-upload").c_str(), stdout);
      return 0;
    } else if (arg == "--auto") {
      how.autoRun = true;
    } else if (arg == "--service") {
      how.asService = true;
    } else if (arg == "--status") {
      status = true;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--intervals") {
      std::string v = i + 1 < argc ? argv[++i] : "";
      size_t comma = v.find(',');
      auto a = text::parseInteger(v.substr(0, comma));
      auto b = comma == std::string::npos ? std::nullopt : text::parseInteger(v.substr(comma + 1));
      if (!a || !b || *a < 0 || *b < 0)
        return usageError("--intervals wants two numbers of ms: A,B");
      how.first = std::chrono::milliseconds(*a);
      how.next = std::chrono::milliseconds(*b);
    } else if (arg.size() > 1 && arg[0] == '-' && !text::parseInteger(arg)) {
      return usageError("unknown option \"" + arg + "\"");
    } else if (how.positional.size() < 2) {
      how.positional.push_back(arg);
    } else {
      return usageError("too many arguments");
    }
  }

  if (json && !status) return usageError("--json goes with --status");
  if (status && (how.autoRun || how.asService || !how.positional.empty()))
    return usageError("--status takes no mode, date or other option but --json");
  if (status) return showStatus(json);

  if (!how.asService) {
    stop::takeSignals();
    return upload(how);
  }
  if (how.autoRun || !how.positional.empty())
    return usageError("--service takes no mode, date or --auto: it always runs as 0 --auto");
  // As "0 --auto" does, with the [run] settings of the till folder. Its
  // stop comes from the service manager alone: a service also hears the
  // console events of every user's log-off, which must not end it.
  how.positional = {"0"};
  how.autoRun = true;
  int result = service::runAsService("TavrixUpload", [&] { return upload(how); });
  if (result != service::kNotUnderServiceManager) return result;
  return usageError(
      "--service is for the Windows service manager, which starts the installed service "
      "TavrixUpload; from a console, run \"tavrix-upload 0 --auto\"");
}
