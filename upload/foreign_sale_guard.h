// A batch keyed by day and sale number deletes at the head office whatever
// holds that key, whichever till sent it. Before such a batch goes, the guard
// tells whether another machine holds the sale there: it asks the head office
// once for the days the run has pending (the sale numbers of those days that
// other machines hold in the header tables), and again only for a day or a
// number met later.
#pragma once

#include <array>
#include <map>
#include <string>

#include "platform/dataset/dataset.h"
#include "service/head_office_service.h"
#include "upload/kinds.h"
#include "upload/run_context.h"

namespace tavrix {

class ForeignSaleGuard {
 public:
  // Off, it asks nothing and holds nothing back.
  ForeignSaleGuard(LocalDatabase& local, HeadOfficeService& headOffice, const RunValues& values,
                   bool on);

  // The machine other than this till's that holds sale `saleNo` of the local
  // day `rocDate` in one of `tables` at the head office, as the head office
  // stores it with blanks trimmed; empty when none does.
  std::string heldBy(unsigned tables, const std::string& rocDate, const std::string& saleNo);

  // Whether the record `key` of `kind` must be held back: then it is stuck
  // for this run, and the run log says why.
  bool holdsBack(RunProgress& progress, const char* kind, unsigned tables,
                 const std::string& rocDate, const std::string& saleNo, const std::string& key);

 private:
  struct Range {
    bool any = false;
    std::string lo, hi;  // sale numbers, trailing blanks trimmed
    void widen(const std::string& no);
    void widen(const Range& other);
  };
  struct Day {
    Range asked;
    // By sale number: the machine holding it in each header table.
    std::map<std::string, std::array<std::string, 3>> held;
  };

  std::map<std::string, Range> pendingDays();
  Range dayRange(const std::string& rocDate);
  void ask(const std::map<std::string, Range>& days);

  LocalDatabase& local_;
  HeadOfficeService& headOffice_;
  const RunValues& values_;
  const bool on_;
  bool askedPending_ = false;
  std::map<std::string, Range> pending_;  // the pending days not yet asked
  std::map<std::string, Day> days_;       // by local day
  dataset::DataSet answer_;
};

// "sale 0001 of 107/03/15 is held at the head office by machine 02; not replaced"
std::string heldElsewhere(const std::string& rocDate, const std::string& saleNo,
                          const std::string& machine);

}  // namespace tavrix
