#include <gtest/gtest.h>

#include "platform/errors.h"
#include "service/insert_sql.h"

namespace tavrix {
namespace {

using dataset::DataSet;
using dataset::FieldDef;
using dataset::FieldKind;
using dataset::FieldType;
using dataset::Value;

// One record with these fields and values, rendered for table T.
std::string render(std::vector<FieldDef> defs, std::vector<Value> values) {
  DataSet ds;
  ds.open(std::move(defs));
  ds.appendRecord(std::move(values));
  ds.first();
  return BuildInsertSQL(ds, "T");
}

std::string one(FieldType type, Value v) {
  return render({{"X", type, 50}}, {std::move(v)});
}

std::string valueOf(const std::string& sql) {
  size_t open = sql.find(" values(") + 8;
  return sql.substr(open, sql.size() - 3 - open);
}

TEST(InsertSql, TheExampleRecord) {
  DataSet ds;
  ds.open({{"SAL_DATE", FieldType::String, 10},
           {"SAL_NO", FieldType::String, 10},
           {"AMT", FieldType::Double}});
  ds.append();
  ds.fieldByName("SAL_DATE").setAsString("2005/01/01");
  ds.fieldByName("SAL_NO").setAsString("A1");
  ds.fieldByName("AMT").setAsFloat(12.5);
  ds.post();
  EXPECT_EQ(BuildInsertSQL(ds, "POS_X"),
            "INSERT INTO POS_X(SAL_DATE,SAL_NO,AMT) values('2005/01/01','A1',12.5)\r\n");
  EXPECT_EQ(ds.recordCount(), 1);  // untouched
}

TEST(InsertSql, NullsRenderByType) {
  EXPECT_EQ(render({{"A", FieldType::String, 5},
                    {"N", FieldType::Double},
                    {"I", FieldType::Int32},
                    {"B", FieldType::Bcd, 15, 2},
                    {"D", FieldType::Timestamp}},
                   {}),
            "INSERT INTO T(A,N,I,B,D) values(NULL,0,0,0,NULL)\r\n");
  EXPECT_EQ(valueOf(one(FieldType::Memo, Value())), "NULL");
}

TEST(InsertSql, TextIsCleaned) {
  EXPECT_EQ(valueOf(one(FieldType::String, Value::text("  it's ; ok  "))), "'it''s - ok'");
  EXPECT_EQ(valueOf(one(FieldType::String, Value::text("50%"))), "'50%%%%'");
  EXPECT_EQ(valueOf(one(FieldType::String, Value::text(""))), "''");
  EXPECT_EQ(valueOf(one(FieldType::String, Value::text("   "))), "''");
  EXPECT_EQ(valueOf(one(FieldType::Memo, Value::text("\tline1\r\nline2\r\n"))), "'line1\r\nline2'");
  EXPECT_EQ(valueOf(one(FieldType::String, Value::text("\xB3\x5C\xA5\x5C'"))),
            "'\xB3\x5C\xA5\x5C'''");
}

TEST(InsertSql, NumbersInTheGeneralFormat) {
  std::vector<std::pair<double, const char*>> cases = {{12.5, "12.5"},
                                                       {7, "7"},
                                                       {-0.25, "-0.25"},
                                                       {0.0001, "0.0001"},
                                                       {0.00001, "1E-5"},
                                                       {1e20, "1E20"},
                                                       {1.0 / 3, "0.333333333333333"}};
  for (auto [v, text] : cases) EXPECT_EQ(valueOf(one(FieldType::Double, Value::floating(v))), text);
  EXPECT_EQ(valueOf(one(FieldType::Bcd, Value::decimal({1250, 2}))), "12.5");
  EXPECT_EQ(valueOf(one(FieldType::Int32, Value::integer(-42))), "-42");
}

TEST(InsertSql, OtherTypesGetExactlyOneValue) {
  EXPECT_EQ(valueOf(one(FieldType::Blob, Value::text("data"))), "NULL");
  EXPECT_EQ(valueOf(one(FieldType::Int16, Value::integer(-7))), "-7");
  EXPECT_EQ(valueOf(one(FieldType::Int16, Value())), "0");
  EXPECT_EQ(valueOf(one(FieldType::Int64, Value::integer(1234567890123456789))),
            "1234567890123456789");
  EXPECT_EQ(valueOf(one(FieldType::Boolean, Value::boolean(true))), "'True'");
  EXPECT_EQ(valueOf(one(FieldType::Boolean, Value())), "NULL");
  EXPECT_EQ(valueOf(one(FieldType::Date, Value::date({2018, 3, 5}))), "'2018/03/05'");
  EXPECT_EQ(valueOf(one(FieldType::Time, Value::time({7, 8, 9, 0}))), "'07:08:09'");
  EXPECT_EQ(valueOf(one(FieldType::DateTime, Value::dateTime({{2018, 3, 15}, {}}))),
            "'2018/03/15'");
  EXPECT_EQ(valueOf(one(FieldType::Timestamp, Value::dateTime({{2018, 3, 15}, {13, 4, 5, 0}}))),
            "'2018/03/15 13:04:05'");
}

TEST(InsertSql, CalculatedFieldsAreLeftOutAndNoFieldsIsAnError) {
  EXPECT_EQ(render({{"C", FieldType::Int32, 0, 0, false, FieldKind::Calculated},
                    {"A", FieldType::String, 5}},
                   {Value::integer(1), Value::text("x")}),
            "INSERT INTO T(A) values('x')\r\n");
  DataSet empty;
  empty.open({});
  EXPECT_THROW(BuildInsertSQL(empty, "T"), GeneralError);
}

}  // namespace
}  // namespace tavrix
