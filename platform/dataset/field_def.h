// The shape of one field of an in-memory dataset.
#pragma once

#include <string>
#include <string_view>

namespace tavrix::dataset {

enum class FieldType {
  String,  // text of at most `size` bytes
  Int16,
  Int32,
  Int64,
  Double,
  Bcd,  // exact decimal: `size` digits of precision, `scale` after the point
  Date,
  Time,
  DateTime,
  Timestamp,  // an SQL timestamp: a date-time by another name
  Memo,       // long text
  Blob,       // binary bytes
  Boolean,
};

// Data fields hold stored values; calculated ones are derived and never sent.
enum class FieldKind { Data, Calculated };

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;
  int scale = 0;
  bool fixedChar = false;  // CHAR rather than VARCHAR
  FieldKind kind = FieldKind::Data;

  bool operator==(const FieldDef&) const = default;
};

std::string_view fieldTypeName(FieldType type);

}  // namespace tavrix::dataset
