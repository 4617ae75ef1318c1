#include "platform/dataset/dataset.h"

#include <cmath>
#include <limits>

#include "platform/errors.h"
#include "platform/text/ascii.h"
#include "platform/text/big5.h"
#include "platform/text/number_text.h"

namespace tavrix::dataset {

std::string_view fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::String:
      return "String";
    case FieldType::Int16:
      return "SmallInt";
    case FieldType::Int32:
      return "Integer";
    case FieldType::Int64:
      return "LargeInt";
    case FieldType::Double:
      return "Float";
    case FieldType::Bcd:
      return "BCD";
    case FieldType::Date:
      return "Date";
    case FieldType::Time:
      return "Time";
    case FieldType::DateTime:
      return "DateTime";
    case FieldType::Timestamp:
      return "TimeStamp";
    case FieldType::Memo:
      return "Memo";
    case FieldType::Blob:
      return "Blob";
    case FieldType::Boolean:
      return "Boolean";
  }
  return "Unknown";
}

namespace {

const Value kNull;

bool isInteger(FieldType t) {
  return t == FieldType::Int16 || t == FieldType::Int32 || t == FieldType::Int64;
}
bool isText(FieldType t) {
  return t == FieldType::String || t == FieldType::Memo || t == FieldType::Blob;
}
bool isDateTime(FieldType t) {
  return t == FieldType::DateTime || t == FieldType::Timestamp;
}

std::pair<int64_t, int64_t> integerRange(FieldType t) {
  switch (t) {
    case FieldType::Int16:
      return {-32768, 32767};
    case FieldType::Int32:
      return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
    default:
      return {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()};
  }
}

}  // namespace

// ---- Field ----

const FieldDef& Field::def() const {
  return owner_->defs_[index_];
}

const Value& Field::value() const {
  const DataSet& ds = *owner_;
  if (ds.buffer_) return (*ds.buffer_)[index_];
  if (ds.eof()) return kNull;
  return ds.rows_[ds.cursor_][index_];
}

double Field::asFloat() const {
  try {
    return value().asFloat();
  } catch (const GeneralError& e) {
    fail(e.what());
  }
}

void Field::fail(const std::string& what) const {
  throw GeneralError(what + " (field " + name() + ")");
}

void Field::store(Value v) {
  if (!owner_->buffer_) throw GeneralError("Dataset not in edit or insert mode");
  (*owner_->buffer_)[index_] = std::move(v);
}

void Field::clear() {
  store(Value());
}

void Field::setAsString(std::string_view t) {
  const FieldDef& d = def();
  auto refuse = [&](const char* what) { fail("'" + std::string(t) + "' " + what); };
  switch (d.type) {
    case FieldType::String:
      store(Value::text(std::string(d.size > 0 ? text::cutToWidth(t, d.size) : t)));
      return;
    case FieldType::Memo:
    case FieldType::Blob:
      store(Value::text(std::string(t)));
      return;
    default:
      break;
  }
  if (text::trimBlanks(t).empty()) return clear();
  switch (d.type) {
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64: {
      auto v = text::parseInteger(t);
      if (!v) refuse("is not a valid integer value");
      return setValue(Value::integer(*v));
    }
    case FieldType::Double: {
      auto v = text::parseFloat(t);
      if (!v) refuse("is not a valid floating point value");
      return store(Value::floating(*v));
    }
    case FieldType::Bcd: {
      if (!text::parseFloat(t)) refuse("is not a valid BCD value");
      auto v = Decimal::fromText(t, d.scale);
      if (!v || (d.size > 0 && v->digits() > d.size)) refuse("is out of range");
      return store(Value::decimal(*v));
    }
    case FieldType::Date: {
      auto v = text::parseDate(t);
      if (!v) refuse("is not a valid date");
      return store(Value::date(*v));
    }
    case FieldType::Time: {
      auto v = text::parseTime(t);
      if (!v) refuse("is not a valid time");
      return store(Value::time(*v));
    }
    case FieldType::DateTime:
    case FieldType::Timestamp: {
      auto v = text::parseDateTime(t);
      if (!v) refuse("is not a valid date and time");
      return store(Value::dateTime(*v));
    }
    case FieldType::Boolean: {
      std::string_view b = text::trimBlanks(t);
      if (text::sameText(b, "true") || text::sameText(b, "t")) return store(Value::boolean(true));
      if (text::sameText(b, "false") || text::sameText(b, "f")) return store(Value::boolean(false));
      refuse("is not a valid boolean value");
    }
    default:
      break;
  }
}

void Field::setAsFloat(double v) {
  const FieldDef& d = def();
  if (isInteger(d.type)) {
    // Round half to even, as the classic field does.
    double r = std::nearbyint(v);
    auto [lo, hi] = integerRange(d.type);
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)))
      fail(text::formatGeneral(v) + " is out of range");
    return store(Value::integer(static_cast<int64_t>(r)));
  }
  switch (d.type) {
    case FieldType::Double:
      return store(Value::floating(v));
    case FieldType::Bcd: {
      // Through the 15-digit text, so 0.145 stays 0.145 and rounds to 0.15.
      auto dec = Decimal::fromText(text::formatGeneral(v), d.scale);
      if (!dec || (d.size > 0 && dec->digits() > d.size))
        fail(text::formatGeneral(v) + " is out of range");
      return store(Value::decimal(*dec));
    }
    case FieldType::String:
    case FieldType::Memo:
      return setAsString(text::formatGeneral(v));
    case FieldType::Date:
      return store(Value::date(text::fromDateTimeNumber(v).date));
    case FieldType::Time:
      return store(Value::time(text::fromDateTimeNumber(v).time));
    case FieldType::DateTime:
    case FieldType::Timestamp:
      return store(Value::dateTime(text::fromDateTimeNumber(v)));
    case FieldType::Boolean:
      return store(Value::boolean(v != 0));
    default:
      fail("a number cannot be assigned to a " + std::string(fieldTypeName(d.type)) + " field");
  }
}

void Field::setValue(const Value& v) {
  const FieldDef& d = def();
  if (v.isNull()) return clear();
  if (auto s = v.get<std::string>()) return setAsString(*s);
  if (isText(d.type)) {
    if (d.type == FieldType::Blob) return store(Value::text(v.asText()));
    return setAsString(v.asText());
  }
  if (auto i = v.get<int64_t>()) {
    if (isInteger(d.type)) {
      auto [lo, hi] = integerRange(d.type);
      if (*i < lo || *i > hi) fail(std::to_string(*i) + " is out of range");
      return store(Value::integer(*i));
    }
    if (d.type == FieldType::Bcd) return setAsString(std::to_string(*i));
    return setAsFloat(static_cast<double>(*i));
  }
  if (auto dec = v.get<Decimal>()) {
    if (d.type == FieldType::Bcd) return setAsString(dec->toFixedText());
    return setAsFloat(dec->toDouble());
  }
  if (auto b = v.get<bool>()) {
    if (d.type == FieldType::Boolean) return store(Value::boolean(*b));
    return setAsFloat(*b ? 1 : 0);
  }
  // Calendar values keep their parts exactly; the date-time number would
  // round milliseconds.
  text::DateTime dt;
  if (auto x = v.get<text::Date>()) dt.date = *x;
  if (auto x = v.get<text::Time>()) dt.time = *x;
  if (auto x = v.get<text::DateTime>()) dt = *x;
  if (v.get<text::Date>() || v.get<text::Time>() || v.get<text::DateTime>()) {
    if (d.type == FieldType::Date) return store(Value::date(dt.date));
    if (d.type == FieldType::Time) return store(Value::time(dt.time));
    if (isDateTime(d.type)) return store(Value::dateTime(dt));
  }
  setAsFloat(v.asFloat());
}

// ---- DataSet ----

void DataSet::open(std::vector<FieldDef> defs) {
  close();
  defs_ = std::move(defs);
  for (int i = 0; i < fieldCount(); ++i) fields_.emplace_back(new Field(this, i));
  active_ = true;
}

void DataSet::close() {
  active_ = false;
  defs_.clear();
  fields_.clear();
  rows_.clear();
  buffer_.reset();
  bufferRow_ = -1;
  cursor_ = 0;
}

void DataSet::checkActive() const {
  if (!active_) throw GeneralError("Cannot perform this operation on a closed dataset");
}

Field& DataSet::field(int index) {
  checkActive();
  if (index < 0 || index >= fieldCount())
    throw GeneralError("Field index out of range (" + std::to_string(index) + ")");
  return *fields_[index];
}

const Field& DataSet::field(int index) const {
  return const_cast<DataSet*>(this)->field(index);
}

Field* DataSet::findField(std::string_view name) {
  for (auto& f : fields_)
    if (text::sameText(f->name(), name)) return f.get();
  return nullptr;
}

Field& DataSet::fieldByName(std::string_view name) {
  if (Field* f = findField(name)) return *f;
  throw GeneralError("Field '" + std::string(name) + "' not found");
}

const Field& DataSet::fieldByName(std::string_view name) const {
  return const_cast<DataSet*>(this)->fieldByName(name);
}

void DataSet::browse() {
  if (buffer_) post();
}

void DataSet::first() {
  browse();
  cursor_ = 0;
}

void DataSet::next() {
  browse();
  if (!eof()) ++cursor_;
}

void DataSet::append() {
  checkActive();
  browse();
  buffer_.emplace(defs_.size());
  bufferRow_ = -1;
}

void DataSet::edit() {
  checkActive();
  if (buffer_) return;
  if (eof()) throw GeneralError("Cannot edit: the dataset has no current record");
  buffer_ = rows_[cursor_];
  bufferRow_ = cursor_;
}

void DataSet::post() {
  if (!buffer_) return;
  if (bufferRow_ < 0) {
    rows_.push_back(std::move(*buffer_));
    cursor_ = recordCount() - 1;
  } else {
    rows_[bufferRow_] = std::move(*buffer_);
  }
  buffer_.reset();
  bufferRow_ = -1;
}

void DataSet::cancel() {
  buffer_.reset();
  bufferRow_ = -1;
}

void DataSet::emptyDataSet() {
  checkActive();
  rows_.clear();
  buffer_.reset();
  cursor_ = 0;
}

void DataSet::appendRecord(std::vector<Value> values) {
  checkActive();
  values.resize(defs_.size());
  rows_.push_back(std::move(values));
}

}  // namespace tavrix::dataset
