// The in-memory dataset: typed fields in order, records, a cursor, and the
// XML data packet the head-office service answers with.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/field_def.h"
#include "platform/dataset/value.h"

namespace tavrix::dataset {

class DataSet;

// A field of a dataset: reads and writes the value of the current record.
class Field {
 public:
  const FieldDef& def() const;
  const std::string& name() const { return def().name; }
  FieldType type() const { return def().type; }
  int index() const { return index_; }

  // The value of the current record; null when there is none.
  const Value& value() const;
  bool isNull() const { return value().isNull(); }
  std::string asString() const { return value().asText(); }
  double asFloat() const;

  // Writing needs the dataset in append or edit state.
  // Text: a text field stores it cut to its width (never half a double-byte
  // character) and keeps an empty text as empty text; every other field takes
  // empty text as null and raises on text that is not a value of its type.
  void setAsString(std::string_view text);
  void setAsFloat(double value);
  // A value from elsewhere (the local database), converted to this field's
  // type; null stays null.
  void setValue(const Value& value);
  void clear();

 private:
  friend class DataSet;
  Field(DataSet* owner, int index) : owner_(owner), index_(index) {}
  void store(Value v);
  [[noreturn]] void fail(const std::string& what) const;

  DataSet* owner_;
  int index_;
};

class DataSet {
 public:
  DataSet() = default;
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  // Opens with these fields and no records, replacing whatever it held.
  void open(std::vector<FieldDef> defs);
  // Drops fields and records.
  void close();
  bool active() const { return active_; }

  int fieldCount() const { return static_cast<int>(defs_.size()); }
  const std::vector<FieldDef>& fieldDefs() const { return defs_; }
  Field& field(int index);
  const Field& field(int index) const;
  // Letter case is not significant; a missing name raises an error naming it.
  Field& fieldByName(std::string_view name);
  const Field& fieldByName(std::string_view name) const;
  Field* findField(std::string_view name);

  int recordCount() const { return static_cast<int>(rows_.size()); }
  bool isEmpty() const { return rows_.empty(); }
  // Position of the current record, -1 when there is none.
  int recNo() const { return eof() ? -1 : cursor_; }
  void first();
  void next();
  bool eof() const { return cursor_ >= static_cast<int>(rows_.size()); }

  // A new record at the end, to be filled and posted.
  void append();
  // Edit the current record.
  void edit();
  void post();
  void cancel();
  bool editing() const { return buffer_.has_value(); }
  // Removes every record; the fields stay.
  void emptyDataSet();

  // Whole records, for readers and writers of packets.
  void appendRecord(std::vector<Value> values);
  const Value& valueAt(int record, int field) const { return rows_[record][field]; }

  // Replaces fields and records by those of the packet and stands on the first
  // record. A packet that cannot be read raises a GeneralError and leaves the
  // dataset closed and empty.
  void loadFromPacket(std::string_view xml);
  // The packet of this dataset's fields and records (raw Big5 text).
  std::string toPacket() const;

 private:
  friend class Field;
  void checkActive() const;
  void browse();  // posts a pending edit before the cursor moves

  bool active_ = false;
  std::vector<FieldDef> defs_;
  std::vector<std::unique_ptr<Field>> fields_;
  std::vector<std::vector<Value>> rows_;
  int cursor_ = 0;
  std::optional<std::vector<Value>> buffer_;
  int bufferRow_ = -1;  // -1: the buffer is a new record to append
};

}  // namespace tavrix::dataset
