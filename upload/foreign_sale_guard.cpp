#include "upload/foreign_sale_guard.h"

#include <cctype>

#include "platform/text/ascii.h"
#include "platform/text/calendar.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

// Days asked in one question: keeps the statement short whatever the backlog.
constexpr size_t kDaysPerQuestion = 40;

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string trim(const std::string& s) {
  size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? "" : trimRight(s.substr(first));
}

bool hasLowercase(const std::string& s) {
  for (char c : s)
    if (std::islower(static_cast<unsigned char>(c))) return true;
  return false;
}

std::string quoted(const std::string& value) {
  return "'" + expand("{v}", [&](std::string_view) { return value; }) + "'";
}

// The columns every question of the guard selects, as the answer holds them.
struct AnswerColumns {
  dataset::Field *date, *no, *machine;
  explicit AnswerColumns(dataset::DataSet& answer)
      : date(answer.findField("SAL_DATE")),
        no(answer.findField("SAL_NO")),
        machine(answer.findField("MCH_NO")) {}
  std::string missing() const {
    const char* name = !date ? "SAL_DATE" : !no ? "SAL_NO" : !machine ? "MCH_NO" : nullptr;
    return name ? std::string("a reply without the column ") + name : "";
  }
};

const char kColumns[] = "SELECT SAL_DATE,SAL_NO,MCH_NO FROM ";

}  // namespace

ForeignSaleGuard::ForeignSaleGuard(LocalDatabase& local, HeadOfficeService& headOffice,
                                   RunProgress& progress, const RunValues& values, bool on)
    : local_(local),
      headOffice_(headOffice),
      progress_(progress),
      on_(on),
      ours_(trim(values.machineNo)),
      tables_{{"POS_MASTER", kSaleHeaders},
              {"POS_MASTERD", kVoidedSaleHeaders},
              {"POSCHANGE_MASTER", kExchangeHeaders}} {}

// The kinds a header table guards, from the list of kinds: their header's
// local table, and their names for a sentence ("a, b and c").
ForeignSaleGuard::Table::Table(const char* name, HeaderTable bit) : name(name), bit(bit) {
  std::vector<const char*> words;
  for (const DataKind* kind : dataKinds()) {
    if (!(kind->guardedBy & bit)) continue;
    localTables.push_back(kind->tables[0].local);
    words.push_back(kind->inWords);
  }
  for (size_t i = 0; i < words.size(); ++i)
    guards += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + std::string(words[i]);
}

void ForeignSaleGuard::Range::widen(const std::string& no) {
  if (!any || no < lo) lo = no;
  if (!any || no > hi) hi = no;
  any = true;
}

void ForeignSaleGuard::Range::widen(const Range& other) {
  if (!other.any) return;
  widen(other.lo);
  widen(other.hi);
}

ForeignSaleGuard::Table* ForeignSaleGuard::find(std::string_view name) {
  for (Table& t : tables_)
    if (name == t.name) return &t;
  return nullptr;
}

bool ForeignSaleGuard::ours(const std::string& machine) const {
  return machine.empty() || machine == ours_ || sentAs_.count(machine);
}

void ForeignSaleGuard::probed(std::string_view name, dataset::DataSet& probe) {
  Table* t = on_ ? find(name) : nullptr;
  if (!t) return;
  if (probe.findField("MCH_NO")) {
    if (t->watch == Watch::Unknown) t->watch = Watch::Guarded;
    return;
  }
  t->watch = Watch::NoMachineColumn;
  progress_.warn(std::string(t->name) +
                 " at the head office has no MCH_NO column, so this till cannot tell its "
                 "sales there from another till's: " +
                 t->guards +
                 " go without that check, and another till with the same day and sale number "
                 "can replace them there. Add MCH_NO to " +
                 t->name +
                 " at the head office, or give every till sale numbers of its own and set "
                 "foreign_sale_guard=0.");
}

void ForeignSaleGuard::refused(Table& t, const std::string& words) {
  t.watch = Watch::Refused;
  progress_.warn(
      "The head office did not answer this till's question about other tills' sales "
      "in " +
      std::string(t.name) + " (" + words + "), so this run sent " + t.guards +
      " without that check; the next run asks again. Have the head office answer "
      "it (a SELECT of SAL_DATE,SAL_NO,MCH_NO from " +
      t.name +
      " whose WHERE uses <>, >=, <=, OR and parentheses), or set "
      "foreign_sale_guard=0 where every till has sale numbers of its own.");
}

std::map<std::string, ForeignSaleGuard::Range> ForeignSaleGuard::pendingDays(const Table& t) {
  // The table names are ours: nothing in them to double.
  std::string sql;
  for (const char* table : t.localTables) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += std::string("SELECT SAL_DATE, MIN(SAL_NO), MAX(SAL_NO) FROM ") + table +
           " WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' GROUP BY SAL_DATE";
  }
  std::map<std::string, Range> days;
  LocalDatabase::open(local_.saleNumbers, sql);
  for (; !local_.saleNumbers.eof(); local_.saleNumbers.next()) {
    if (local_.saleNumbers.field(0).isNull() || local_.saleNumbers.field(1).isNull()) continue;
    Range& range = days[local_.saleNumbers.field(0).asString()];
    range.widen(trimRight(local_.saleNumbers.field(1).asString()));
    range.widen(trimRight(local_.saleNumbers.field(2).asString()));
  }
  return days;
}

ForeignSaleGuard::Range ForeignSaleGuard::dayRange(const Table& t, const std::string& rocDate) {
  std::string sql;
  for (const char* table : t.localTables) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += std::string("SELECT MIN(SAL_NO), MAX(SAL_NO) FROM ") + table +
           " WHERE SAL_DATE = " + quoted(rocDate);
  }
  Range range;
  LocalDatabase::open(local_.saleNumbers, sql);
  for (; !local_.saleNumbers.eof(); local_.saleNumbers.next()) {
    if (local_.saleNumbers.field(0).isNull()) continue;
    range.widen(trimRight(local_.saleNumbers.field(0).asString()));
    range.widen(trimRight(local_.saleNumbers.field(1).asString()));
  }
  return range;
}

namespace {

// The sale numbers from `lo` on, to `hi` where the service's upper-casing
// cannot shrink the bound.
std::string numbersFrom(const std::string& lo, const std::string& hi) {
  std::string which = "SAL_NO >= " + quoted(lo);
  if (!hasLowercase(hi)) which += " AND SAL_NO <= " + quoted(hi);
  return which;
}

}  // namespace

void ForeignSaleGuard::ask(Table& t, const std::map<std::string, Range>& days) {
  std::map<std::string, std::string> dayOf;  // AD date -> local day
  std::string which;
  for (const auto& [rocDate, range] : days) {
    t.days[rocDate] = Day{range, {}};
    // A day that is no date has no sale at the head office to hold back; the
    // kind meets it as it always did.
    std::string ad;
    try {
      ad = ROCToDate(rocDate);
    } catch (const std::exception&) {
      continue;
    }
    dayOf[ad] = rocDate;
    which += (which.empty() ? "" : " OR ") + ("SAL_DATE = " + quoted(ad)) + " AND " +
             numbersFrom(range.lo, range.hi);
  }
  if (which.empty()) return;
  std::string words =
      headOffice_.AskRemote(answer_, kColumns + std::string(t.name) + " WHERE MCH_NO <> " +
                                         quoted(ours_) + " AND (" + which + ")");
  AnswerColumns columns(answer_);
  if (words.empty()) words = columns.missing();
  if (!words.empty()) return refused(t, words);
  for (answer_.first(); !answer_.eof(); answer_.next()) {
    // Compared as the head office stores it, blanks trimmed; no machine is no other.
    std::string machine = trim(columns.machine->asString());
    auto day = dayOf.find(columns.date->asString());
    if (ours(machine) || day == dayOf.end()) continue;
    t.days[day->second].held[trimRight(columns.no->asString())] = machine;
  }
  if (t.watch == Watch::Unknown) t.watch = Watch::Guarded;
}

std::string ForeignSaleGuard::heldIn(Table& t, const std::string& rocDate, const std::string& no) {
  auto known = t.days.find(rocDate);
  if (known == t.days.end() || !known->second.asked.holds(no)) {
    if (!t.readPending) {
      t.pending = pendingDays(t);
      t.readPending = true;
    }
    Range range;
    if (auto p = t.pending.find(rocDate); known == t.days.end() && p != t.pending.end())
      range = p->second;
    if (!range.holds(no)) range = dayRange(t, rocDate);
    range.widen(no);  // a record written after the day's numbers were read
    if (known != t.days.end()) range.widen(known->second.asked);
    std::map<std::string, Range> wanted = {{rocDate, range}};
    t.pending.erase(rocDate);
    // The other pending days go along with it.
    for (auto p = t.pending.begin(); p != t.pending.end() && wanted.size() < kDaysPerQuestion;) {
      wanted.insert(*p);
      p = t.pending.erase(p);
    }
    ask(t, wanted);
    if (t.watch == Watch::Refused) return "";
    known = t.days.find(rocDate);
  }
  auto sale = known->second.held.find(no);
  return sale == known->second.held.end() ? "" : sale->second;
}

std::string ForeignSaleGuard::heldBy(unsigned tables, const std::string& rocDate,
                                     const std::string& saleNo) {
  if (!on_) return "";
  for (Table& t : tables_) {
    if (!(tables & t.bit) || t.watch == Watch::NoMachineColumn || t.watch == Watch::Refused)
      continue;
    if (std::string machine = heldIn(t, rocDate, trimRight(saleNo)); !machine.empty())
      return machine;
  }
  return "";
}

bool ForeignSaleGuard::holdsBack(const char* kind, unsigned tables, const std::string& rocDate,
                                 const std::string& saleNo, const std::string& key) {
  std::string machine = heldBy(tables, rocDate, saleNo);
  if (!machine.empty()) {
    progress_.held(kind, key, heldElsewhere(rocDate, saleNo, machine));
    return true;
  }
  sendingUnchecked(kind, tables, key);
  return false;
}

void ForeignSaleGuard::sendingUnchecked(const char* kind, unsigned tables, const std::string& key) {
  std::string names;
  for (const Table& t : tables_)
    if ((tables & t.bit) && t.watch == Watch::Refused)
      names += (names.empty() ? "" : ", ") + std::string(t.name);
  if (!names.empty())
    progress_.log.write("Unchecked", std::string(kind) + " " + key +
                                         ": sent without the check against other tills' sales (" +
                                         names + " did not answer this run)");
}

ForeignSaleGuard::Held ForeignSaleGuard::verify(std::string_view table,
                                                const std::string& specified,
                                                const std::string& rocDate, const std::string& ad,
                                                const std::string& saleNo,
                                                const std::string& sentMachine) {
  Table* t = on_ ? find(table) : nullptr;
  if (t && t->watch == Watch::Guarded) {
    Range range = t->days[rocDate].asked;
    range.widen(trimRight(saleNo));
    std::string words = headOffice_.AskRemote(
        answer_, kColumns + std::string(t->name) + " WHERE SAL_DATE = " + quoted(ad) +
                     " AND (SAL_NO = " + quoted(saleNo) + " OR MCH_NO <> " + quoted(ours_) +
                     " AND " + numbersFrom(range.lo, range.hi) + ")");
    AnswerColumns columns(answer_);
    if (words.empty()) words = columns.missing();
    if (words.empty()) {
      Held headers;
      Day fresh{range, {}};
      // The service upper-cases the question, and a head office may compare
      // without regard to case: the sale is the row of its number in any case.
      std::string asked = trimRight(saleNo);
      // A till whose rows carry another number than MCH_NO.TXT sent this one.
      if (std::string sent = trim(sentMachine); !sent.empty()) sentAs_.insert(sent);
      for (answer_.first(); !answer_.eof(); answer_.next()) {
        std::string no = trimRight(columns.no->asString());
        std::string machine = trim(columns.machine->asString());
        if (!ours(machine)) fresh.held[no] = machine;
        if (!text::sameText(no, asked)) continue;
        ++headers.rows;
        if (!ours(machine)) headers.replacedBy = machine;
      }
      t->days[rocDate] = std::move(fresh);
      return headers;
    }
    refused(*t, words);
  }
  headOffice_.OpenRemote(answer_, specified);
  return {answer_.recordCount(), ""};
}

void ForeignSaleGuard::confirmed(std::string_view table, const std::string& rocDate,
                                 const std::string& saleNo) {
  Table* t = on_ ? find(table) : nullptr;
  if (t && t->watch == Watch::Guarded) t->confirmed[rocDate].push_back(saleNo);
}

void ForeignSaleGuard::lookAgain(std::string_view table) {
  Table* t = on_ ? find(table) : nullptr;
  if (!t || t->watch != Watch::Guarded || t->confirmed.empty()) return;
  // What the guard knew of each day stays asked, with the confirmed
  // numbers added; forty days a question, as always.
  std::map<std::string, Range> wanted;
  for (const auto& [rocDate, numbers] : t->confirmed) {
    Range range = t->days[rocDate].asked;
    for (const std::string& no : numbers) range.widen(trimRight(no));
    wanted[rocDate] = range;
    if (wanted.size() == kDaysPerQuestion) {
      ask(*t, wanted);
      wanted.clear();
    }
  }
  if (!wanted.empty()) ask(*t, wanted);
}

std::vector<ForeignSaleGuard::Replaced> ForeignSaleGuard::replacedSinceConfirmed(
    std::string_view table) {
  std::vector<Replaced> replaced;
  Table* t = on_ ? find(table) : nullptr;
  if (!t) return replaced;
  for (auto& [rocDate, numbers] : t->confirmed) {
    const Day& day = t->days[rocDate];
    std::erase_if(numbers, [&](const std::string& no) {
      auto other = day.held.find(trimRight(no));
      if (other == day.held.end()) return false;
      replaced.push_back({rocDate, no, other->second});
      return true;
    });
  }
  return replaced;
}

std::string heldElsewhere(const std::string& rocDate, const std::string& saleNo,
                          const std::string& machine) {
  return "sale " + trimRight(saleNo) + " of " + rocDate +
         " is held at the head office by machine " + machine + "; not replaced";
}

std::string replacedElsewhere(const std::string& rocDate, const std::string& saleNo,
                              const std::string& machine, bool after) {
  return "sale " + trimRight(saleNo) + " of " + rocDate +
         " was replaced at the head office by machine " + machine +
         (after ? " after it was confirmed; pending again"
                : " before it was confirmed; not marked");
}

}  // namespace tavrix
