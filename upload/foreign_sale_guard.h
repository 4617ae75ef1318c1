// A batch keyed by day and sale number deletes at the head office whatever
// holds that key, whichever till sent it. Before such a batch goes, the guard
// tells whether another machine holds the sale there. It asks each header
// table, once the run's probe has shown that the table carries MCH_NO, with
// one plain question for the days the run has pending (the sale numbers of
// those days that other machines hold), and again only for a day or a number
// met later; each header verification also brings back the other machines'
// numbers of its day, so what the guard knows is as fresh as the last
// answer. A table it cannot ask (no MCH_NO, a question refused) goes
// unguarded, as without the guard, and the run says so.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/dataset.h"
#include "service/head_office_service.h"
#include "upload/data_kinds.h"
#include "upload/run_context.h"

namespace tavrix {

class ForeignSaleGuard {
 public:
  // Off, it asks nothing, holds nothing back and verifies as specified.
  ForeignSaleGuard(LocalDatabase& local, HeadOfficeService& headOffice, RunProgress& progress,
                   const RunValues& values, bool on);

  // After the run's probe of a head-office table: whether the guard can ask it.
  void probed(std::string_view table, dataset::DataSet& probe);

  // The machine other than this till's that holds sale `saleNo` of the local
  // day `rocDate` in one of `tables` (HeaderTable bits) at the head office,
  // as the head office stores it with blanks trimmed; empty when none does
  // or none of those tables could be asked.
  std::string heldBy(unsigned tables, const std::string& rocDate, const std::string& saleNo);

  // Whether the record `key` of `kind` must be held back: then it is stuck
  // for this run, and the run log says why. A record that goes where a table
  // could not be asked is named in the run log.
  bool holdsBack(const char* kind, unsigned tables, const std::string& rocDate,
                 const std::string& saleNo, const std::string& key);
  // Names `key` in the run log when it goes unchecked in one of `tables`.
  void sendingUnchecked(const char* kind, unsigned tables, const std::string& key);

  // The verification of a record just posted to `table`: `specified` as it
  // stands, or, where the guard asks that header table, one question that
  // also brings back the other machines' numbers of the day and tells whose
  // the header is.
  struct Held {
    int rows = 0;            // rows of the record
    std::string replacedBy;  // another machine's header stands there instead
  };
  Held verify(std::string_view table, const std::string& specified, const std::string& rocDate,
              const std::string& ad, const std::string& saleNo, const std::string& sentMachine);

  // A sale of `table` confirmed and marked: watched for the rest of the
  // run, as a batch of another machine that asked before it arrived may
  // still replace it.
  void confirmed(std::string_view table, const std::string& rocDate, const std::string& saleNo);
  // One more question about the days of the sales confirmed in `table`.
  void lookAgain(std::string_view table);
  // The confirmed sales that another machine's batch has replaced since, as
  // the last answers tell; each one once.
  struct Replaced {
    std::string rocDate, saleNo, machine;
  };
  std::vector<Replaced> replacedSinceConfirmed(std::string_view table);

 private:
  struct Range {
    bool any = false;
    std::string lo, hi;  // sale numbers, trailing blanks trimmed
    void widen(const std::string& no);
    void widen(const Range& other);
    bool holds(const std::string& no) const { return any && no >= lo && no <= hi; }
  };
  struct Day {
    Range asked;
    std::map<std::string, std::string> held;  // sale number -> the machine holding it
  };
  enum class Watch { Unknown, Guarded, NoMachineColumn, Refused };
  struct Table {
    Table(const char* name, HeaderTable bit);
    const char* name;
    HeaderTable bit;
    std::vector<const char*> localTables;  // of the kinds it guards
    std::string guards;                    // those kinds, for a warning
    Watch watch = Watch::Unknown;
    bool readPending = false;
    std::map<std::string, Range> pending;                       // the pending days not yet asked
    std::map<std::string, Day> days;                            // by local day
    std::map<std::string, std::vector<std::string>> confirmed;  // by local day: sale numbers
  };

  std::string heldIn(Table& table, const std::string& rocDate, const std::string& no);
  std::map<std::string, Range> pendingDays(const Table& table);
  Range dayRange(const Table& table, const std::string& rocDate);
  void ask(Table& table, const std::map<std::string, Range>& days);
  void refused(Table& table, const std::string& words);
  Table* find(std::string_view name);
  bool ours(const std::string& machine) const;

  LocalDatabase& local_;
  HeadOfficeService& headOffice_;
  RunProgress& progress_;
  const bool on_;
  const std::string ours_;        // this till's machine number, blanks trimmed
  std::set<std::string> sentAs_;  // the machine numbers on headers this run sent
  std::vector<Table> tables_;
  dataset::DataSet answer_;
};

// "sale 0001 of 107/03/15 is held at the head office by machine 02; not replaced"
std::string heldElsewhere(const std::string& rocDate, const std::string& saleNo,
                          const std::string& machine);
// "sale 0001 of 107/03/15 was replaced at the head office by machine 02
// before it was confirmed; not marked" (`after` false), or "... after it
// was confirmed; pending again"
std::string replacedElsewhere(const std::string& rocDate, const std::string& saleNo,
                              const std::string& machine, bool after = false);

}  // namespace tavrix
