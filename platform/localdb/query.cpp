#include "platform/localdb/query.h"

#include <cstdlib>
#include <cstring>

#include "platform/errors.h"
#include "platform/localdb/client.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/ib_status.h"
#include "platform/text/ascii.h"

namespace tavrix::localdb {

using dataset::Decimal;
using dataset::FieldDef;
using dataset::FieldType;
using dataset::Value;

// The output descriptor area and the buffers its columns point into.
struct SqlQuery::Columns {
  std::vector<char> area;
  std::vector<std::vector<char>> data;
  std::vector<short> nulls;

  XSQLDA* da() { return reinterpret_cast<XSQLDA*>(area.data()); }
  void reserve(int n) {
    area.assign(XSQLDA_LENGTH(n), 0);
    da()->version = SQLDA_VERSION1;
    da()->sqln = static_cast<short>(n);
  }
};

namespace {

const int64_t kIscDateZero = text::daysFromCivil(text::Date{1858, 11, 17});

text::Date iscDate(ISC_DATE d) {
  return text::civilFromDays(kIscDateZero + d);
}

text::Time iscTime(ISC_TIME t) {  // units of 1/10000 second
  return text::Time{static_cast<int>(t / 36000000), static_cast<int>(t / 600000 % 60),
                    static_cast<int>(t / 10000 % 60), static_cast<int>(t / 10 % 1000)};
}

FieldDef describe(const XSQLVAR& v) {
  FieldDef d;
  d.name.assign(v.aliasname, static_cast<size_t>(v.aliasname_length));
  int scale = -v.sqlscale;
  switch (v.sqltype & ~1) {
    case SQL_TEXT:
      d.type = FieldType::String;
      d.size = v.sqllen;
      d.fixedChar = true;
      break;
    case SQL_VARYING:
      d.type = FieldType::String;
      d.size = v.sqllen;
      break;
    case SQL_SHORT:
      d.type = scale > 0 ? FieldType::Bcd : FieldType::Int16;
      d.size = scale > 0 ? 4 : 0;
      break;
    case SQL_LONG:
      d.type = scale > 0 ? FieldType::Bcd : FieldType::Int32;
      d.size = scale > 0 ? 9 : 0;
      break;
    case SQL_INT64:
      d.type = scale > 0 ? FieldType::Bcd : FieldType::Int64;
      d.size = scale > 0 ? 18 : 0;
      break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      d.type = FieldType::Double;
      break;
    case SQL_TIMESTAMP:
      d.type = FieldType::Timestamp;
      break;
    case SQL_TYPE_DATE:
      d.type = FieldType::Date;
      break;
    case SQL_TYPE_TIME:
      d.type = FieldType::Time;
      break;
    case SQL_BLOB:
      d.type = v.sqlsubtype == 1 ? FieldType::Memo : FieldType::Blob;
      break;
    case SQL_BOOLEAN:
      d.type = FieldType::Boolean;
      break;
    case SQL_NULL:
      d.type = FieldType::String;
      break;
    default:
      throw GeneralError("Column " + d.name + " has a type this program cannot read (" +
                         std::to_string(v.sqltype & ~1) + ")");
  }
  if (d.type == FieldType::Bcd) d.scale = scale;
  return d;
}

template <class T>
T read(const char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

Value number(int64_t raw, int scale) {
  return scale > 0 ? Value::decimal(Decimal{raw, scale}) : Value::integer(raw);
}

std::string readBlob(isc_db_handle* db, isc_tr_handle* tr, ISC_QUAD id) {
  ISC_STATUS_ARRAY status;
  isc_blob_handle blob = 0;
  client().isc_open_blob2(status, db, tr, &blob, &id, 0, nullptr);
  check(status);
  std::string out;
  char segment[32768];
  for (;;) {
    unsigned short got = 0;
    ISC_STATUS rc = client().isc_get_segment(status, &blob, &got, sizeof segment, segment);
    if (rc == isc_segstr_eof) break;
    if (rc != 0 && rc != isc_segment) {
      ISC_STATUS_ARRAY ignored;
      client().isc_close_blob(ignored, &blob);
      check(status);
    }
    out.append(segment, got);
  }
  client().isc_close_blob(status, &blob);
  return out;
}

Value decode(const XSQLVAR& v, bool trimChar, isc_db_handle* db, isc_tr_handle* tr) {
  if ((v.sqltype & 1) && *v.sqlind < 0) return Value();
  const char* p = v.sqldata;
  int scale = -v.sqlscale;
  switch (v.sqltype & ~1) {
    case SQL_TEXT: {
      std::string s(p, static_cast<size_t>(v.sqllen));
      if (trimChar) s.erase(s.find_last_not_of(' ') + 1);
      return Value::text(std::move(s));
    }
    case SQL_VARYING:
      return Value::text(std::string(p + 2, read<unsigned short>(p)));
    case SQL_SHORT:
      return number(read<short>(p), scale);
    case SQL_LONG:
      return number(read<ISC_LONG>(p), scale);
    case SQL_INT64:
      return number(read<ISC_INT64>(p), scale);
    case SQL_FLOAT:
      return Value::floating(read<float>(p));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return Value::floating(read<double>(p));
    case SQL_TIMESTAMP: {
      auto ts = read<ISC_TIMESTAMP>(p);
      return Value::dateTime({iscDate(ts.timestamp_date), iscTime(ts.timestamp_time)});
    }
    case SQL_TYPE_DATE:
      return Value::date(iscDate(read<ISC_DATE>(p)));
    case SQL_TYPE_TIME:
      return Value::time(iscTime(read<ISC_TIME>(p)));
    case SQL_BLOB:
      return Value::text(readBlob(db, tr, read<ISC_QUAD>(p)));
    case SQL_BOOLEAN:
      return Value::boolean(read<FB_BOOLEAN>(p) != 0);
    default:
      return Value();
  }
}

}  // namespace

// ---- LocalField ----

const FieldDef& LocalField::def() const {
  return query_->defs_[index_];
}

const Value& LocalField::value() const {
  static const Value null;
  return query_->eof_ ? null : query_->row_[index_];
}

double LocalField::asFloat() const {
  try {
    return value().asFloat();
  } catch (const GeneralError& e) {
    throw GeneralError(std::string(e.what()) + " (field " + name() + ")");
  }
}

// ---- SqlQuery ----

SqlQuery::SqlQuery(SqlConnection& connection) : connection_(connection) {}

SqlQuery::~SqlQuery() {
  close();
  connection_.detach(this);
}

void SqlQuery::open() {
  if (active_) return;
  if (!connection_.connected()) connection_.open();
  connection_.attach(this);
  std::string text = sql_.text();
  unsigned short dialect = connection_.dialect();
  ISC_STATUS_ARRAY status;
  try {
    tr_ = std::make_unique<Transaction>(connection_, Transaction::Access::ReadOnly);
    client().isc_dsql_allocate_statement(status, connection_.handle(), &stmt_);
    check(status);
    columns_ = std::make_unique<Columns>();
    columns_->reserve(32);
    client().isc_dsql_prepare(status, tr_->handle(), &stmt_, 0, text.c_str(), dialect,
                              columns_->da());
    check(status);
    if (columns_->da()->sqld > columns_->da()->sqln) {
      columns_->reserve(columns_->da()->sqld);
      client().isc_dsql_describe(status, &stmt_, dialect, columns_->da());
      check(status);
    }
    XSQLDA* da = columns_->da();
    if (da->sqld == 0) throw GeneralError("Cursor not returned from Query");

    columns_->data.resize(static_cast<size_t>(da->sqld));
    columns_->nulls.assign(static_cast<size_t>(da->sqld), 0);
    for (int i = 0; i < da->sqld; ++i) {
      XSQLVAR& v = da->sqlvar[i];
      defs_.push_back(describe(v));
      // A VARCHAR needs its two length bytes on top of sqllen.
      columns_->data[i].assign(static_cast<size_t>(v.sqllen) + 2 + 8, 0);
      v.sqldata = columns_->data[i].data();
      v.sqlind = &columns_->nulls[i];
    }
    client().isc_dsql_execute(status, tr_->handle(), &stmt_, dialect, nullptr);
    check(status);
    active_ = true;
    eof_ = false;
    position_ = 0;
    fetch();
  } catch (const std::exception& e) {
    close();
    connection_.dropIfLost(e);
    throw;
  }
}

void SqlQuery::fetch() {
  ISC_STATUS_ARRAY status;
  XSQLDA* da = columns_->da();
  ISC_STATUS rc = client().isc_dsql_fetch(status, &stmt_, connection_.dialect(), da);
  if (rc == 100) {
    eof_ = true;
    finish();
    return;
  }
  try {
    check(status);
  } catch (const DatabaseError& e) {
    close();
    connection_.dropIfLost(e);
    throw;
  }
  row_.clear();
  bool trim = connection_.trimChar();  // a parameter lookup: once a row, not once a field
  for (int i = 0; i < da->sqld; ++i)
    row_.push_back(decode(da->sqlvar[i], trim, connection_.handle(), tr_->handle()));
  ++position_;
}

// Ends the cursor and commits its transaction; the fields stay readable.
void SqlQuery::finish() {
  ISC_STATUS_ARRAY status;
  if (stmt_ != 0) client().isc_dsql_free_statement(status, &stmt_, DSQL_drop);
  stmt_ = 0;
  if (tr_) {
    try {
      tr_->commit();
    } catch (const GeneralError&) {
      // A read that cannot commit has nothing to keep; the rollback follows.
    }
    tr_.reset();
  }
}

void SqlQuery::close() {
  finish();
  active_ = false;
  eof_ = true;
  position_ = 0;
  columns_.reset();
  defs_.clear();
  row_.clear();
}

void SqlQuery::first() {
  // Already on the first row, or there is none: nothing to run again.
  if (!active_ || position_ == 0 || (position_ == 1 && !eof_)) return;
  close();
  open();
}

void SqlQuery::next() {
  if (!active_ || eof_) return;
  fetch();
}

LocalField SqlQuery::field(int index) const {
  if (index < 0 || index >= fieldCount())
    throw GeneralError("Field index out of range (" + std::to_string(index) + ")");
  return LocalField(this, index);
}

LocalField SqlQuery::fieldByName(std::string_view name) const {
  for (int i = 0; i < fieldCount(); ++i)
    if (text::sameText(defs_[i].name, name)) return LocalField(this, i);
  throw GeneralError("Field '" + std::string(name) + "' not found");
}

int64_t SqlQuery::recordCount() {
  SqlQuery counter(connection_);
  counter.setSql(countStatement(sql_.text()));
  counter.open();
  const Value& v = counter.field(0).value();
  const int64_t* n = v.get<int64_t>();
  return n ? *n : 0;
}

}  // namespace tavrix::localdb
