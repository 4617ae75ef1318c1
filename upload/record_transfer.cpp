#include "upload/record_transfer.h"

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/folders.h"
#include "service/insert_sql.h"
#include "upload/foreign_sale_guard.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

const char kTypeLookup[] = "select *  From LOC_TYPE \r\n Where  TYPE_NO  = '{type}'";

// The record in hand: its keys, as the pick found them.
struct Record {
  std::string date, ad, no, card;
  std::string key;  // as the run log and status.json name it

  std::string operator()(std::string_view name) const {
    return name == "date" ? date : name == "ad" ? ad : name == "no" ? no : card;
  }
  // As its progress lines begin.
  std::string shown() const { return "   >>" + date + "_" + no; }
};

enum class Outcome { NotPosted, Unconfirmed, Confirmed, Replaced };

// Part 0 of a record stages into the record's dataset, part 1 into the lines'.
dataset::DataSet& stagedPart(RunContext& run, size_t part) {
  return part == 0 ? run.staging.record : run.staging.lines;
}

localdb::SqlQuery& rowsOfPart(RunContext& run, size_t part) {
  return part == 0 ? run.local.recordRows : run.local.lineRows;
}

void say(RunContext& run, const std::string& line) {
  run.progress.window.addProgressLine(line);
}

void probe(RunContext& run, const RecordTravel& travel) {
  for (size_t i = 0; i < travel.parts.size(); ++i) {
    run.headOffice.OpenRemote(stagedPart(run, i), travel.parts[i].probe);
    run.guard.probed(travel.parts[i].table, stagedPart(run, i));
  }
}

// The first pending record past the `setAside` ones, or false when there is none.
bool pick(RunContext& run, const DataKind& kind, int setAside, Record& r) {
  const RecordTravel& travel = *kind.byRecord;
  if (travel.passLine) say(run, text::B5(travel.passLine));
  run.local.open(run.local.nextRecord, passingOver(travel.pick, setAside));
  if (run.local.nextRecord.eof()) return false;
  r.date = run.local.nextRecord.fieldByName("SAL_DATE").asString();
  r.no = run.local.nextRecord.fieldByName("SAL_NO").asString();
  r.card = travel.cardColumn ? run.local.nextRecord.fieldByName(travel.cardColumn).asString() : "";
  r.key = r.date + "_" + r.no + (travel.cardColumn ? "_" + r.card : "");
  run.progress.working(kind.name, r.key);
  return true;
}

// A line's product and the product's type, for its staged columns. Nothing
// checks that either was found: no row reads as empty.
void lookUpProduct(RunContext& run, const char* productLookup, const localdb::SqlQuery& line) {
  std::string code = line.fieldByName("PDC_NO").asString();
  run.local.open(run.local.product, expand(productLookup, [&](std::string_view) { return code; }));
  std::string type = run.local.product.fieldByName("PDC_TYPE").asString();
  run.local.open(run.local.productType,
                 expand(kTypeLookup, [&](std::string_view) { return type; }));
}

void stage(RunContext& run, const RecordTravel& travel, size_t part, const Record& r) {
  const RecordPart& p = travel.parts[part];
  if (p.stagingLine) say(run, r.shown() + text::B5(p.stagingLine));
  dataset::DataSet& staged = stagedPart(run, part);
  staged.emptyDataSet();
  localdb::SqlQuery* rows = &run.local.nextRecord;
  if (p.rows) {
    run.local.open(rowsOfPart(run, part), expand(p.rows, r));
    if (!rowsOfPart(run, part).eof() || !p.orPicked) rows = &rowsOfPart(run, part);
  }
  const localdb::SqlQuery* product = p.productLookup ? &run.local.product : nullptr;
  const localdb::SqlQuery* type = p.productLookup ? &run.local.productType : nullptr;
  for (; !rows->eof(); rows->next()) {
    if (p.productLookup) lookUpProduct(run, p.productLookup, *rows);
    staged.append();
    copyColumns({*rows, product, type, run.values.storeId, run.values.stockId, run.clock}, staged,
                *p.columns, travel.variant);
    staged.post();
  }
}

// Every DELETE first, then each part's rows.
void buildBatch(RunContext& run, const RecordTravel& travel, const Record& r) {
  run.batch.clear();
  for (const char* line : travel.deleteLines) run.batch.push_back(expand(line, r));
  for (size_t i = 0; i < travel.parts.size(); ++i) {
    dataset::DataSet& staged = stagedPart(run, i);
    for (staged.first(); !staged.eof(); staged.next())
      run.batch.push_back(BuildInsertSQL(staged, travel.parts[i].table) + ";");
  }
  // Saved before the post, so the file always holds the last batch tried.
  if (travel.copyFile) text::writeFile(run.rootFolder + travel.copyFile, run.batch.text());
}

// The machine on the first staged row, as sent.
std::string sentMachine(dataset::DataSet& staged) {
  dataset::Field* machine = staged.findField("MCH_NO");
  staged.first();
  return machine && !staged.eof() ? machine->asString() : "";
}

// As many rows of each part as were sent; every part's count goes. A header
// that another machine's batch put in its place is that machine's sale now.
Outcome verify(RunContext& run, const RecordTravel& travel, const Record& r, std::string& failure) {
  bool counted = true;
  std::string replacedBy;
  for (size_t i = 0; i < travel.parts.size(); ++i) {
    const RecordPart& p = travel.parts[i];
    dataset::DataSet& staged = stagedPart(run, i);
    int sent = staged.recordCount();
    ForeignSaleGuard::Held held = run.guard.verify(p.table, expand(p.verification, r), r.date, r.ad,
                                                   r.no, sentMachine(staged));
    if (!held.replacedBy.empty()) replacedBy = held.replacedBy;
    if (held.rows != sent) {
      failure = heldOfSent(held.rows, sent) + p.shortfall;
      counted = false;
    }
  }
  if (!replacedBy.empty()) {
    failure = replacedElsewhere(r.date, r.no, replacedBy);
    return Outcome::Replaced;
  }
  return counted ? Outcome::Confirmed : Outcome::Unconfirmed;
}

// Stages the record, posts its batch and verifies it; on failure `failure` says why.
Outcome post(RunContext& run, const RecordTravel& travel, const Record& r, std::string& failure) {
  say(run, r.shown() + text::B5(travel.pickedLine));
  for (size_t i = 0; i < travel.parts.size(); ++i) stage(run, travel, i, r);
  if (travel.logsEverySale) say(run, r.shown() + "..Remote");
  buildBatch(run, travel, r);
  if (travel.logsEverySale) say(run, r.shown() + "..Batch");
  if (!run.headOffice.ExecRemoteSQL(run.batch)) {
    failure = run.headOffice.LastFailure;
    return Outcome::NotPosted;
  }
  return verify(run, travel, r, failure);
}

void mark(RunContext& run, const DataKind& kind, const Record& r) {
  const RecordTravel& travel = *kind.byRecord;
  // One statement a part, each committed by itself: the header's first.
  for (const RecordPart& p : travel.parts) run.local.run(expand(p.mark, r));
  run.progress.confirmed(kind.name, run.staging.record.recordCount());
  run.guard.confirmed(travel.parts[0].table, r.date, r.no);
  if (travel.markedLine) say(run, expand(travel.markedLine, r));
}

// Confirmed records that another machine's batch has replaced since: no
// longer at the head office as this till's, so pending again, and held.
// How many there were.
int unmarkReplaced(RunContext& run, const DataKind& kind) {
  const RecordTravel& travel = *kind.byRecord;
  std::vector<ForeignSaleGuard::Replaced> replaced =
      run.guard.replacedSinceConfirmed(travel.parts[0].table);
  for (const ForeignSaleGuard::Replaced& x : replaced) {
    Record r;
    r.date = x.rocDate;
    r.no = x.saleNo;
    for (const RecordPart& p : travel.parts)
      if (p.unmark) run.local.run(expand(p.unmark, r));
    run.progress.confirmed(kind.name, -1);
    run.progress.held(kind.name, r.date + "_" + r.no,
                      replacedElsewhere(x.rocDate, x.saleNo, x.machine, true));
  }
  return static_cast<int>(replaced.size());
}

// The sales' log of a post: NG where the classic log said OK anyway.
void logOutcome(RunContext& run, const Record& r, Outcome outcome) {
  if (outcome != Outcome::NotPosted)
    say(run, r.shown() + (outcome == Outcome::Confirmed ? "...>>>>>OK" : "...>>>>>NG"));
  say(run, r.shown() + (outcome == Outcome::NotPosted ? "..Batch..NG" : "..Batch..OK"));
}

}  // namespace

std::string heldOfSent(int held, int sent) {
  return "verification: the head office holds " + std::to_string(held) + " rows of the " +
         std::to_string(sent) + " sent";
}

void transferEachRecord(RunContext& run, const DataKind& kind) {
  const RecordTravel& travel = *kind.byRecord;
  say(run, text::B5(travel.headerLine));
  run.progress.working(kind.name, "");
  probe(run, travel);
  // One sale a run and its one attempt (with catch_up, one after another
  // until one fails); or every record until five attempts in a row failed.
  const bool oneSale = travel.attempts == Attempts::OneSaleARun;
  const int limit = oneSale ? 1 : kFailureBudget;
  Record r;
  std::string failure, previous;   // why the last attempt failed; the last record marked
  int attempts = 0, setAside = 0;  // failed in a row; held back this run, passed over
  // A marked record picked again ends the kind.
  while (attempts < limit && pick(run, kind, setAside, r) && !(oneSale && r.key == previous)) {
    if (run.guard.holdsBack(kind.name, kind.guardedBy, r.date, r.no, r.key)) {
      ++setAside;
      continue;
    }
    r.ad = travel.convertsDate ? ROCToDate(r.date) : r.date;
    Outcome outcome = post(run, travel, r, failure);
    if (outcome != Outcome::NotPosted) setAside += unmarkReplaced(run, kind);
    if (outcome == Outcome::Confirmed) mark(run, kind, r);
    if (travel.logsEverySale) logOutcome(run, r, outcome);
    if (outcome == Outcome::Replaced) {
      run.progress.held(kind.name, r.key, failure);
      ++setAside;  // the other machine's now: the next one may go
    } else if (outcome == Outcome::Confirmed) {
      attempts = 0;
      previous = r.key;
    } else {
      ++attempts;
    }
    if (oneSale && !run.settings.catchUp) break;
  }
  if (attempts >= limit) run.progress.stuck(kind.name, r.key, failure);
  // A last look at the days of the records confirmed.
  run.guard.lookAgain(travel.parts[0].table);
  unmarkReplaced(run, kind);
  if (travel.logsEverySale) say(run, "   >>All OK..");
}

}  // namespace tavrix
