#include <gtest/gtest.h>

#include "platform/dataset/dataset.h"
#include "platform/errors.h"
#include "tests/support/error_text.h"

namespace tavrix::dataset {
namespace {

using testing::errorOf;
using text::Date;
using text::DateTime;
using text::Time;

std::vector<FieldDef> staging() {
  return {{"SAL_DATE", FieldType::String, 10},
          {"SAL_NO", FieldType::String, 4},
          {"QTY", FieldType::Int16},
          {"N", FieldType::Int32},
          {"BIG", FieldType::Int64},
          {"AMT", FieldType::Double},
          {"PRICE", FieldType::Bcd, 15, 2},
          {"D", FieldType::Date},
          {"T", FieldType::Time},
          {"CHG", FieldType::Timestamp},
          {"NOTE", FieldType::Memo},
          {"PIC", FieldType::Blob},
          {"OK", FieldType::Boolean}};
}

TEST(DataSet, RecordsAppendPostAndCursor) {
  DataSet ds;
  ds.open(staging());
  EXPECT_TRUE(ds.active());
  EXPECT_EQ(ds.recordCount(), 0);
  EXPECT_TRUE(ds.eof());
  // No current record: every field reads as null.
  EXPECT_TRUE(ds.fieldByName("SAL_NO").isNull());
  EXPECT_EQ(ds.fieldByName("SAL_NO").asString(), "");
  EXPECT_EQ(ds.fieldByName("AMT").asFloat(), 0);

  for (const char* no : {"A1", "A2", "A3"}) {
    ds.append();
    ds.fieldByName("sal_no").setAsString(no);
    ds.post();
  }
  ds.append();
  ds.fieldByName("SAL_NO").setAsString("XX");
  ds.cancel();
  EXPECT_EQ(ds.recordCount(), 3);

  std::string seen;
  for (ds.first(); !ds.eof(); ds.next()) seen += ds.field(1).asString() + ",";
  EXPECT_EQ(seen, "A1,A2,A3,");

  ds.first();
  ds.edit();
  ds.fieldByName("SAL_NO").setAsString("B1");
  ds.next();  // moving posts the edit
  ds.first();
  EXPECT_EQ(ds.fieldByName("SAL_NO").asString(), "B1");

  ds.emptyDataSet();
  EXPECT_EQ(ds.recordCount(), 0);
  EXPECT_EQ(ds.fieldCount(), 13);
  ds.close();
  EXPECT_FALSE(ds.active());
  EXPECT_EQ(ds.fieldCount(), 0);
}

TEST(DataSet, FieldNamesMatchWithoutCaseAndAMissingOneIsNamed) {
  DataSet ds;
  ds.open(staging());
  EXPECT_EQ(ds.fieldByName("sal_date").name(), "SAL_DATE");
  EXPECT_EQ(ds.fieldByName("Chg").type(), FieldType::Timestamp);
  EXPECT_EQ(ds.findField("NOPE"), nullptr);
  EXPECT_EQ(errorOf([&] { ds.fieldByName("STOCK_ID"); }), "Field 'STOCK_ID' not found");
  EXPECT_EQ(errorOf([&] { ds.fieldByName("SAL_NO").setAsString("x"); }),
            "Dataset not in edit or insert mode");
}

TEST(DataSet, TextAssignmentFollowsTheFieldType) {
  DataSet ds;
  ds.open(staging());
  ds.append();
  auto f = [&](const char* name) -> Field& { return ds.fieldByName(name); };

  f("SAL_DATE").setAsString("");
  EXPECT_FALSE(f("SAL_DATE").isNull());                 // empty text stays empty text
  f("SAL_NO").setAsString("\xB3\x5C\xA5\x5C\xBB\x5C");  // 許功蓋: cut to 4 bytes
  EXPECT_EQ(f("SAL_NO").asString(), "\xB3\x5C\xA5\x5C");
  f("SAL_NO").setAsString("A\xB3\x5C\xA5\x5C");  // never half a character
  EXPECT_EQ(f("SAL_NO").asString(), "A\xB3\x5C");

  f("QTY").setAsString(" -12 ");
  EXPECT_EQ(f("QTY").value(), Value::integer(-12));
  f("QTY").setAsString("");
  EXPECT_TRUE(f("QTY").isNull());
  EXPECT_EQ(errorOf([&] { f("QTY").setAsString("1.5"); }),
            "'1.5' is not a valid integer value (field QTY)");
  EXPECT_EQ(errorOf([&] { f("QTY").setAsString("40000"); }), "40000 is out of range (field QTY)");
  f("BIG").setAsString("9000000000");
  EXPECT_EQ(f("BIG").asString(), "9000000000");

  f("AMT").setAsString("12.50");
  EXPECT_EQ(f("AMT").asString(), "12.5");
  EXPECT_EQ(errorOf([&] { f("AMT").setAsString("12,5"); }),
            "'12,5' is not a valid floating point value (field AMT)");

  f("PRICE").setAsString("12.345");
  EXPECT_EQ(f("PRICE").value(), Value::decimal({1235, 2}));
  EXPECT_EQ(f("PRICE").asString(), "12.35");
  f("PRICE").setAsString("-0.005");
  EXPECT_EQ(f("PRICE").value(), Value::decimal({-1, 2}));

  f("D").setAsString("2018/03/15");
  EXPECT_EQ(f("D").value(), Value::date({2018, 3, 15}));
  EXPECT_EQ(errorOf([&] { f("D").setAsString("2018-03-15"); }),
            "'2018-03-15' is not a valid date (field D)");
  f("T").setAsString("23:59:01");
  EXPECT_EQ(f("T").asString(), "23:59:01");
  f("CHG").setAsString("2018/03/15 08:09:10");
  EXPECT_EQ(f("CHG").asString(), "2018/03/15 08:09:10");
  f("CHG").setAsString("2018/03/15");
  EXPECT_EQ(f("CHG").asString(), "2018/03/15");

  f("OK").setAsString("true");
  EXPECT_EQ(f("OK").asString(), "True");
  EXPECT_EQ(errorOf([&] { f("OK").setAsString("yes"); }),
            "'yes' is not a valid boolean value (field OK)");
  f("PIC").setAsString(std::string("\0\x01\xFF", 3));
  EXPECT_EQ(f("PIC").asString().size(), 3u);
}

TEST(DataSet, FloatAssignment) {
  DataSet ds;
  ds.open(staging());
  ds.append();
  Field& qty = ds.fieldByName("QTY");
  qty.setAsFloat(2.5);
  EXPECT_EQ(qty.asString(), "2");  // half to even
  qty.setAsFloat(-3.5);
  EXPECT_EQ(qty.asString(), "-4");
  ds.fieldByName("PRICE").setAsFloat(0.145);
  EXPECT_EQ(ds.fieldByName("PRICE").value(), Value::decimal({15, 2}));
  ds.fieldByName("SAL_DATE").setAsFloat(1.0 / 3);
  EXPECT_EQ(ds.fieldByName("SAL_DATE").asString(), "0.33333333");  // cut to width 10
  ds.fieldByName("CHG").setAsFloat(43174.5);
  EXPECT_EQ(ds.fieldByName("CHG").asString(), "2018/03/15 12:00:00");
  EXPECT_NE(errorOf([&] { ds.fieldByName("PIC").setAsFloat(1); }), "(no error)");
}

TEST(DataSet, ValuesFromTheLocalDatabaseKeepNullAndConvertByType) {
  DataSet ds;
  ds.open(staging());
  ds.append();
  auto f = [&](const char* name) -> Field& { return ds.fieldByName(name); };

  f("AMT").setAsFloat(1);
  f("AMT").setValue(Value());
  EXPECT_TRUE(f("AMT").isNull());
  f("AMT").setValue(Value::decimal({1250, 2}));
  EXPECT_EQ(f("AMT").value(), Value::floating(12.5));
  f("PRICE").setValue(Value::decimal({12345, 3}));
  EXPECT_EQ(f("PRICE").value(), Value::decimal({1235, 2}));
  f("PRICE").setValue(Value::integer(7));
  EXPECT_EQ(f("PRICE").asString(), "7");
  f("SAL_DATE").setValue(Value::integer(42));
  EXPECT_EQ(f("SAL_DATE").asString(), "42");
  f("SAL_DATE").setValue(Value::dateTime({{2018, 3, 15}, {}}));
  EXPECT_EQ(f("SAL_DATE").asString(), "2018/03/15");
  f("N").setValue(Value::text("15"));
  EXPECT_EQ(f("N").value(), Value::integer(15));
  f("CHG").setValue(Value::date({2018, 3, 15}));
  EXPECT_EQ(f("CHG").value(), Value::dateTime({{2018, 3, 15}, {}}));
  f("D").setValue(Value::dateTime({{2018, 3, 15}, {10, 0, 0, 0}}));
  EXPECT_EQ(f("D").value(), Value::date({2018, 3, 15}));
  f("T").setValue(Value::dateTime({{2018, 3, 15}, {10, 0, 0, 123}}));
  EXPECT_EQ(f("T").value(), Value::time({10, 0, 0, 123}));
  f("OK").setValue(Value::boolean(false));
  EXPECT_EQ(f("OK").asString(), "False");
  EXPECT_EQ(errorOf([&] { f("N").setValue(Value::integer(1LL << 40)); }),
            "1099511627776 is out of range (field N)");
}

TEST(Value, TextAndFloatForms) {
  EXPECT_EQ(Value().asText(), "");
  EXPECT_EQ(Value::decimal({1250, 2}).asText(), "12.5");
  EXPECT_EQ(Value::decimal({-5, 3}).asText(), "-0.005");
  EXPECT_EQ(Value::floating(1e-5).asText(), "1E-5");
  EXPECT_EQ(Value::time({9, 5, 0, 0}).asText(), "09:05:00");
  EXPECT_EQ(Value::text("  ").asFloat(), 0);
  EXPECT_EQ(Value::text("2.5").asFloat(), 2.5);
  EXPECT_EQ(errorOf([] { Value::text("x1").asFloat(); }),
            "'x1' is not a valid floating point value");
  EXPECT_EQ(Value::date({1899, 12, 31}).asFloat(), 1);
  EXPECT_EQ((Decimal{-1234, 2}.toFixedText()), "-12.34");
  EXPECT_EQ((Decimal{5, 3}.toFixedText()), "0.005");
  EXPECT_EQ(Decimal::fromText("1.5e2", 1), (Decimal{1500, 1}));
  EXPECT_EQ(Decimal::fromText("0.05", 1), (Decimal{1, 1}));
  EXPECT_EQ(Decimal::fromText("0.04", 1), (Decimal{0, 1}));
  EXPECT_FALSE(Decimal::fromText("1e30", 2));
  EXPECT_FALSE(Decimal::fromText("abc", 2));
}

}  // namespace
}  // namespace tavrix::dataset
