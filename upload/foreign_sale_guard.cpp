#include "upload/foreign_sale_guard.h"

#include <cctype>

#include "platform/text/calendar.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

// The till's tables whose records go in batches keyed by day and sale number.
constexpr const char* kGuardedLocalTables[] = {"LOC_MAIN",     "LOC_MAID",    "LOC_MAIN_CHG",
                                               "POINT_MASTER", "DECCASH_SUB", "CREDIT_CARD",
                                               "LOC_DELE"};

// The header tables, in the order of their HeaderTable bits.
constexpr const char* kHeaderTables[] = {"POS_MASTER", "POS_MASTERD", "POSCHANGE_MASTER"};

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

}  // namespace

ForeignSaleGuard::ForeignSaleGuard(LocalDatabase& local, HeadOfficeService& headOffice,
                                   const RunValues& values, bool on)
    : local_(local), headOffice_(headOffice), values_(values), on_(on) {}

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

std::map<std::string, ForeignSaleGuard::Range> ForeignSaleGuard::pendingDays() {
  // The table names are ours: nothing in them to double.
  std::string sql;
  for (const char* table : kGuardedLocalTables) {
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

ForeignSaleGuard::Range ForeignSaleGuard::dayRange(const std::string& rocDate) {
  std::string sql;
  for (const char* table : kGuardedLocalTables) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += std::string("SELECT MIN(SAL_NO), MAX(SAL_NO) FROM ") + table + " WHERE SAL_DATE = '" +
           expand("{d}", [&](std::string_view) { return rocDate; }) + "'";
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

void ForeignSaleGuard::ask(const std::map<std::string, Range>& days) {
  auto quoted = [](const std::string& value) {
    return "'" + expand("{v}", [&](std::string_view) { return value; }) + "'";
  };
  std::string ours = trim(values_.machineNo);
  std::map<std::string, std::string> dayOf;  // AD date -> local day
  std::string which;
  for (const auto& [rocDate, range] : days) {
    days_[rocDate] = Day{range, {}};
    // A day that is no date has no sale at the head office to hold back; the
    // kind meets it as it always did.
    std::string ad;
    try {
      ad = ROCToDate(rocDate);
    } catch (const std::exception&) {
      continue;
    }
    dayOf[ad] = rocDate;
    if (!which.empty()) which += " OR ";
    which += "SAL_DATE = " + quoted(ad) + " AND SAL_NO >= " + quoted(range.lo);
    // The service upper-cases a query: a bound with small letters would shrink.
    if (!hasLowercase(range.hi)) which += " AND SAL_NO <= " + quoted(range.hi);
  }
  if (which.empty()) return;
  std::string sql;
  for (unsigned i = 0; i < std::size(kHeaderTables); ++i) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += "SELECT " + std::to_string(i) + " AS HELD_IN, SAL_DATE, SAL_NO, MCH_NO FROM " +
           kHeaderTables[i] + " WHERE MCH_NO <> " + quoted(ours) + " AND (" + which + ")";
  }
  headOffice_.OpenRemote(answer_, sql);
  for (answer_.first(); !answer_.eof(); answer_.next()) {
    // Compared as the head office stores it, blanks trimmed; no machine is no other.
    std::string machine = trim(answer_.field(3).asString());
    auto day = dayOf.find(answer_.field(1).asString());
    if (machine.empty() || machine == ours || day == dayOf.end()) continue;
    unsigned table = static_cast<unsigned>(std::stoul(answer_.field(0).asString()));
    if (table >= std::size(kHeaderTables)) continue;
    days_[day->second].held[trimRight(answer_.field(2).asString())][table] = machine;
  }
}

std::string ForeignSaleGuard::heldBy(unsigned tables, const std::string& rocDate,
                                     const std::string& saleNo) {
  if (!on_ || tables == 0) return "";
  std::string no = trimRight(saleNo);
  auto known = days_.find(rocDate);
  if (known == days_.end() || no < known->second.asked.lo || no > known->second.asked.hi) {
    if (!askedPending_) {
      pending_ = pendingDays();
      askedPending_ = true;
    }
    Range range;
    if (auto p = pending_.find(rocDate); known == days_.end() && p != pending_.end())
      range = p->second;
    if (range.any ? no < range.lo || no > range.hi : true) range = dayRange(rocDate);
    range.widen(no);  // a record written after the day's numbers were read
    if (known != days_.end()) range.widen(known->second.asked);
    std::map<std::string, Range> wanted = {{rocDate, range}};
    pending_.erase(rocDate);
    // The other pending days go along with it.
    for (auto p = pending_.begin(); p != pending_.end() && wanted.size() < kDaysPerQuestion;) {
      wanted.insert(*p);
      p = pending_.erase(p);
    }
    ask(wanted);
    known = days_.find(rocDate);
  }
  auto sale = known->second.held.find(no);
  if (sale == known->second.held.end()) return "";
  for (unsigned i = 0; i < std::size(kHeaderTables); ++i)
    if ((tables & (1u << i)) && !sale->second[i].empty()) return sale->second[i];
  return "";
}

bool ForeignSaleGuard::holdsBack(RunProgress& progress, const char* kind, unsigned tables,
                                 const std::string& rocDate, const std::string& saleNo,
                                 const std::string& key) {
  std::string machine = heldBy(tables, rocDate, saleNo);
  if (!machine.empty()) progress.held(kind, key, heldElsewhere(rocDate, saleNo, machine));
  return !machine.empty();
}

std::string heldElsewhere(const std::string& rocDate, const std::string& saleNo,
                          const std::string& machine) {
  return "sale " + trimRight(saleNo) + " of " + rocDate +
         " is held at the head office by machine " + machine + "; not replaced";
}

}  // namespace tavrix
