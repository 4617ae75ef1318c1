#include "upload/sale_transfer.h"

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/folders.h"
#include "service/insert_sql.h"
#include "upload/foreign_sale_guard.h"
#include "upload/kinds.h"
#include "upload/sale_staging.h"
#include "upload/statement_template.h"
#include "upload/transfer_cycle.h"

namespace tavrix {

namespace {

// The sale in hand: its keys and the number of line INSERTs in its batch.
struct Sale {
  std::string date, ad, no;
  size_t lines = 0;

  std::string operator()(std::string_view name) const {
    return name == "date" ? date : name == "ad" ? ad : no;
  }
  // As the progress line shows it, for the run log and status.json.
  std::string key() const { return date + "_" + no; }
  std::string progress(const std::string& suffix) const { return "   >>" + key() + suffix; }
};

void probe(RunContext& run, const SaleKind& kind) {
  run.headOffice.OpenRemote(run.staging.saleHeader, kind.probeHeader);
  run.guard.probed(kind.headerTable, run.staging.saleHeader);
  run.headOffice.OpenRemote(run.staging.saleLines, kind.probeLines);
}

// The first pending header past the `setAside` ones, or false when there is none.
bool pick(RunContext& run, const SaleKind& kind, Sale& sale, int setAside) {
  run.local.open(run.local.recordRows, passingOver(kind.pick, setAside));
  if (run.local.recordRows.eof()) return false;
  sale.date = run.local.recordRows.fieldByName("SAL_DATE").asString();
  sale.no = run.local.recordRows.fieldByName("SAL_NO").asString();
  run.progress.working(kind.name, sale.key());
  sale.ad = ROCToDate(sale.date);
  return true;
}

bool holdsBack(RunContext& run, const SaleKind& kind, const Sale& sale) {
  return run.guard.holdsBack(kind.name, kind.guardedBy, sale.date, sale.no, sale.key());
}

void stage(RunContext& run, const SaleKind& kind, const Sale& sale) {
  StageSaleHeader(run, kind.shape);
  if (kind.linesProgress) run.progress.window.addProgressLine(sale.progress(kind.linesProgress));
  StageSaleLines(run, kind.shape, sale.date, sale.no);
}

// Every DELETE first, then the header, then the lines.
void buildBatch(RunContext& run, const SaleKind& kind, Sale& sale) {
  run.batch.clear();
  for (const char* line : kind.deleteLines) run.batch.push_back(expand(line, sale));
  run.staging.saleHeader.first();
  run.batch.push_back(BuildInsertSQL(run.staging.saleHeader, kind.headerTable) + ";");
  sale.lines = 0;
  for (run.staging.saleLines.first(); !run.staging.saleLines.eof();
       run.staging.saleLines.next(), ++sale.lines)
    run.batch.push_back(BuildInsertSQL(run.staging.saleLines, kind.lineTable) + ";");
  if (kind.copyFile) text::writeFile(run.rootFolder + kind.copyFile, run.batch.text());
}

enum class Verified { Yes, No, Replaced };

// The machine on the header as staged and sent.
std::string sentMachine(RunContext& run) {
  dataset::Field* machine = run.staging.saleHeader.findField("MCH_NO");
  run.staging.saleHeader.first();
  return machine ? machine->asString() : "";
}

// Exactly one header and as many lines as were sent; both queries always go.
// A header that another machine's batch put in its place is that machine's
// sale now: not to be marked. On failure `failure` says why.
Verified verify(RunContext& run, const SaleKind& kind, const Sale& sale, std::string& failure) {
  ForeignSaleGuard::Headers headers =
      run.guard.verifyHeader(kind.headerTable, expand(kind.verifyHeader, sale), sale.date, sale.ad,
                             sale.no, sentMachine(run));
  run.headOffice.OpenRemote(run.staging.remoteResult, expand(kind.verifyLines, sale));
  int lines = run.staging.remoteResult.recordCount();
  if (!headers.replacedBy.empty()) {
    failure = replacedElsewhere(sale.date, sale.no, headers.replacedBy);
    return Verified::Replaced;
  }
  if (headers.rows != 1) failure = heldOfSent(headers.rows, 1) + " (headers)";
  if (static_cast<size_t>(lines) != sale.lines)
    failure = heldOfSent(lines, static_cast<int>(sale.lines)) + " (lines)";
  return headers.rows == 1 && static_cast<size_t>(lines) == sale.lines ? Verified::Yes
                                                                       : Verified::No;
}

void mark(RunContext& run, const SaleKind& kind, const Sale& sale) {
  // Two statements, each committed by itself: the header's first.
  run.local.run(expand(kind.markHeader, sale));
  run.local.run(expand(kind.markLines, sale));
  run.progress.confirmed(kind.name, 1);
  run.guard.confirmed(kind.headerTable, sale.date, sale.no);
}

// Confirmed sales that another machine's batch has replaced since: no
// longer at the head office as this till's, so pending again, and held.
// How many there were.
int unmarkReplaced(RunContext& run, const SaleKind& kind) {
  std::vector<ForeignSaleGuard::Replaced> replaced =
      run.guard.replacedSinceConfirmed(kind.headerTable);
  for (const ForeignSaleGuard::Replaced& r : replaced) {
    Sale sale{r.rocDate, "", r.saleNo};
    for (const char* line : kind.unmark) run.local.run(expand(line, sale));
    run.progress.confirmed(kind.name, -1);
    run.progress.held(kind.name, sale.key(),
                      replacedElsewhere(r.rocDate, r.saleNo, r.machine, true));
  }
  return static_cast<int>(replaced.size());
}

// The kind's last look at the days of the sales it confirmed.
void lookAgain(RunContext& run, const SaleKind& kind) {
  run.guard.lookAgain(kind.headerTable);
  unmarkReplaced(run, kind);
}

void transferWithBudget(RunContext& run, const SaleKind& kind) {
  run.progress.window.addProgressLine(text::B5(kind.headerLine));
  run.progress.working(kind.name, "");
  probe(run, kind);
  Sale sale;
  std::string failure;
  int attempts = 0;
  int setAside = 0;  // sales another machine holds at the head office
  while (attempts < kFailureBudget && pick(run, kind, sale, setAside)) {
    if (holdsBack(run, kind, sale)) {
      ++setAside;
      continue;
    }
    run.progress.window.addProgressLine(sale.progress("..."));
    stage(run, kind, sale);
    buildBatch(run, kind, sale);
    if (!run.headOffice.ExecRemoteSQL(run.batch)) {
      failure = run.headOffice.LastFailure;
      ++attempts;
      continue;
    }
    Verified verified = verify(run, kind, sale, failure);
    setAside += unmarkReplaced(run, kind);
    if (verified == Verified::Replaced) {
      run.progress.held(kind.name, sale.key(), failure);
      ++setAside;
      continue;
    }
    if (verified == Verified::No) {
      ++attempts;
      continue;
    }
    mark(run, kind, sale);
    if (kind.markedLine) run.progress.window.addProgressLine(expand(kind.markedLine, sale));
    attempts = 0;
  }
  if (attempts >= kFailureBudget) run.progress.stuck(kind.name, sale.key(), failure);
  lookAgain(run, kind);
}

}  // namespace

void TransferSales(RunContext& run) {
  const SaleKind& kind = kSalesKind;
  run.progress.window.addProgressLine(text::B5(kind.headerLine));
  run.progress.working(kind.name, "");
  probe(run, kind);
  // One sale a run; with catch_up=1, one after another until none is left or
  // one fails, each sent, verified and marked on its own.
  Sale sale;
  std::string previous;
  int setAside = 0;  // sales another machine holds at the head office: not this run's one
  while (pick(run, kind, sale, setAside) && sale.key() != previous) {
    if (holdsBack(run, kind, sale)) {
      ++setAside;
      continue;
    }
    run.progress.window.addProgressLine(sale.progress("..."));
    stage(run, kind, sale);
    run.progress.window.addProgressLine(sale.progress("..Remote"));
    buildBatch(run, kind, sale);
    run.progress.window.addProgressLine(sale.progress("..Batch"));
    bool posted = run.headOffice.ExecRemoteSQL(run.batch);
    // Its one attempt of the run: a failed sale is stuck until the next run.
    std::string failure = run.headOffice.LastFailure;
    Verified verified = Verified::No;
    if (posted) {
      verified = verify(run, kind, sale, failure);
      setAside += unmarkReplaced(run, kind);
      if (verified == Verified::Yes) mark(run, kind, sale);
      // The log says what happened: NG where the classic log said OK anyway.
      run.progress.window.addProgressLine(
          sale.progress(verified == Verified::Yes ? "...>>>>>OK" : "...>>>>>NG"));
    }
    run.progress.window.addProgressLine(sale.progress(posted ? "..Batch..OK" : "..Batch..NG"));
    if (verified == Verified::Replaced) {
      run.progress.held(kind.name, sale.key(), failure);
      ++setAside;  // the other machine's sale now: the next one may go
      if (run.settings.catchUp) continue;
      break;
    }
    if (!failure.empty()) run.progress.stuck(kind.name, sale.key(), failure);
    if (verified != Verified::Yes || !run.settings.catchUp) break;
    previous = sale.key();  // marked: should it still be picked, it ends the kind
  }
  lookAgain(run, kind);
  run.progress.window.addProgressLine("   >>All OK..");
}

void TransferVoidedSales(RunContext& run) {
  transferWithBudget(run, kVoidedSalesKind);
}

void TransferExchanges(RunContext& run) {
  transferWithBudget(run, kExchangesKind);
}

}  // namespace tavrix
