#include "service/insert_sql.h"

#include "platform/errors.h"

namespace tavrix {

using dataset::Field;
using dataset::FieldType;

namespace {

std::string_view trimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

std::string doublePercent(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string cleaned(std::string_view raw) {
  std::string out = "'";
  for (char c : trimControls(raw)) {
    if (c == '\'')
      out += "''";
    else if (c == '%')
      out += "%%";
    else if (c == ';')
      out += '-';
    else
      out += c;
  }
  return out + "'";
}

std::string rendered(const Field& f) {
  const dataset::Value& v = f.value();
  switch (f.type()) {
    case FieldType::Double:
    case FieldType::Bcd:
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
      return v.isNull() ? "0" : v.asText();
    case FieldType::Blob:
      return "NULL";
    default:
      return v.isNull() ? "NULL" : cleaned(v.asText());
  }
}

}  // namespace

std::string BuildInsertSQL(const dataset::DataSet& ds, std::string_view table) {
  if (ds.fieldCount() == 0)
    throw GeneralError("Cannot build an INSERT into " + std::string(table) +
                       ": the dataset has no fields");
  std::string columns, values;
  for (int i = 0; i < ds.fieldCount(); ++i) {
    const Field& f = ds.field(i);
    if (f.def().kind != dataset::FieldKind::Data) continue;
    if (!columns.empty()) columns += ",";
    columns += f.name();
    if (!values.empty()) values += ",";
    values += rendered(f);
  }
  return "INSERT INTO " + std::string(table) + "(" + columns + ") values(" +
         doublePercent(trimControls(values)) + ")\r\n";
}

}  // namespace tavrix
