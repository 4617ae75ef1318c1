#include <gtest/gtest.h>

#include "platform/dataset/dataset.h"
#include "platform/errors.h"

namespace tavrix::dataset {
namespace {

const std::string kHead = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";

const std::string kEmptyResult =
    kHead +
    "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"SAL_DATE\" fieldtype=\"string\" WIDTH=\"10\"/>"
    "<FIELD attrname=\"SAL_NO\" fieldtype=\"string\" WIDTH=\"10\"/>"
    "<FIELD attrname=\"AMT\" fieldtype=\"r8\"/>"
    "<FIELD attrname=\"QTY\" fieldtype=\"fixed\" DECIMALS=\"2\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"N\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"CHG\" fieldtype=\"SQLdateTime\"/>"
    "<FIELD attrname=\"NOTE\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>"
    "<FIELD attrname=\"PIC\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\"/>"
    "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>";

std::string withRows(const std::string& rows) {
  std::string p = kEmptyResult;
  p.replace(p.find("<ROWDATA></ROWDATA>"), 19, "<ROWDATA>" + rows + "</ROWDATA>");
  return p;
}

TEST(Packet, AnEmptyResultGivesTheColumnsInOrder) {
  DataSet ds;
  ds.loadFromPacket(kEmptyResult);
  ASSERT_EQ(ds.fieldCount(), 8);
  EXPECT_EQ(ds.recordCount(), 0);
  std::vector<FieldDef> expected = {{"SAL_DATE", FieldType::String, 10},
                                    {"SAL_NO", FieldType::String, 10},
                                    {"AMT", FieldType::Double},
                                    {"QTY", FieldType::Bcd, 15, 2},
                                    {"N", FieldType::Int32},
                                    {"CHG", FieldType::Timestamp},
                                    {"NOTE", FieldType::Memo},
                                    {"PIC", FieldType::Blob}};
  EXPECT_EQ(ds.fieldDefs(), expected);
}

TEST(Packet, RowValuesNullsAndEscapes) {
  DataSet ds;
  ds.loadFromPacket(
      withRows("<ROW SAL_DATE=\"2018/03/15\" SAL_NO=\"A&amp;1\" QTY=\"2.50\" N=\"7\" "
               "CHG=\"20180315T12:34:56000\" NOTE=\"line1&#013;&#010;line2&#009;&#092;\"/>"
               "<ROW SAL_DATE=\"\" AMT=\"100.25\" N=\"-3\" CHG=\"20180316\" PIC=\"AAH/\"/>"));
  ASSERT_EQ(ds.recordCount(), 2);
  EXPECT_EQ(ds.fieldByName("SAL_DATE").asString(), "2018/03/15");
  EXPECT_EQ(ds.fieldByName("SAL_NO").asString(), "A&1");
  EXPECT_TRUE(ds.fieldByName("AMT").isNull());
  EXPECT_EQ(ds.fieldByName("QTY").value(), Value::decimal({250, 2}));
  EXPECT_EQ(ds.fieldByName("N").value(), Value::integer(7));
  EXPECT_EQ(ds.fieldByName("CHG").value(), Value::dateTime({{2018, 3, 15}, {12, 34, 56, 0}}));
  EXPECT_EQ(ds.fieldByName("NOTE").asString(), "line1\r\nline2\t\\");
  EXPECT_TRUE(ds.fieldByName("PIC").isNull());
  ds.next();
  EXPECT_FALSE(ds.fieldByName("SAL_DATE").isNull());
  EXPECT_EQ(ds.fieldByName("SAL_DATE").asString(), "");
  EXPECT_TRUE(ds.fieldByName("SAL_NO").isNull());
  EXPECT_EQ(ds.fieldByName("AMT").asFloat(), 100.25);
  EXPECT_EQ(ds.fieldByName("CHG").asString(), "2018/03/16");
  EXPECT_EQ(ds.fieldByName("PIC").asString(), std::string("\x00\x01\xFF", 3));
}

TEST(Packet, EveryFieldTypeLoadsWithItsTypeAndWidth) {
  std::string packet =
      kHead +
      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"20\"/>"
      "<FIELD attrname=\"C\" fieldtype=\"string\" SUBTYPE=\"FixedChar\" WIDTH=\"10\"/>"
      "<FIELD attrname=\"W\" fieldtype=\"string.uni\" WIDTH=\"20\"/>"
      "<FIELD attrname=\"I1\" fieldtype=\"i1\"/><FIELD attrname=\"I2\" fieldtype=\"i2\"/>"
      "<FIELD attrname=\"I4\" fieldtype=\"i4\" SUBTYPE=\"Autoinc\"/>"
      "<FIELD attrname=\"I8\" fieldtype=\"i8\"/><FIELD attrname=\"U4\" fieldtype=\"ui4\"/>"
      "<FIELD attrname=\"R4\" fieldtype=\"r4\"/>"
      "<FIELD attrname=\"M\" fieldtype=\"r8\" SUBTYPE=\"Money\"/>"
      "<FIELD attrname=\"F\" fieldtype=\"fixedFMT\" DECIMALS=\"4\" WIDTH=\"18\"/>"
      "<FIELD attrname=\"B\" fieldtype=\"boolean\"/><FIELD attrname=\"D\" fieldtype=\"date\"/>"
      "<FIELD attrname=\"T\" fieldtype=\"time\"/><FIELD attrname=\"DT\" fieldtype=\"dateTime\"/>"
      "<FIELD attrname=\"WM\" fieldtype=\"bin.hex\" SUBTYPE=\"WideText\"/>"
      "<FIELD attrname=\"G\" fieldtype=\"bin.hex\" SUBTYPE=\"Graphics\"/>"
      "</FIELDS><PARAMS LCID=\"1028\"/></METADATA><ROWDATA>"
      "<ROW S=\"\xB3\x5C\xA5\x5C\xBB\x5C|\xB7\x7C\xAC\x4F\" C=\"AB        \" "
      "W=\"&#35377;&#21151;x\" I1=\"-1\" I2=\"300\" I4=\"70000\" I8=\"9000000000\" "
      "U4=\"4000000000\" "
      "R4=\"1.5\" M=\"2777815\" F=\"-12.3400\" B=\"TRUE\" D=\"20180315\" T=\"12:34:05007\" "
      "DT=\"19991231T23:59:59999\" WM=\"&#33995;\" G=\"aGk=\"/>"
      "<ROW S=\"&#179;&#92;\" B=\"false\"/>"
      "</ROWDATA></DATAPACKET>";
  DataSet ds;
  ds.loadFromPacket(packet);
  const std::vector<std::pair<FieldType, int>> types = {
      {FieldType::String, 20}, {FieldType::String, 10}, {FieldType::String, 20},
      {FieldType::Int16, 0},   {FieldType::Int16, 0},   {FieldType::Int32, 0},
      {FieldType::Int64, 0},   {FieldType::Int64, 0},   {FieldType::Double, 0},
      {FieldType::Double, 0},  {FieldType::Bcd, 18},    {FieldType::Boolean, 0},
      {FieldType::Date, 0},    {FieldType::Time, 0},    {FieldType::DateTime, 0},
      {FieldType::Memo, 0},    {FieldType::Blob, 0}};
  ASSERT_EQ(ds.fieldCount(), static_cast<int>(types.size()));
  for (int i = 0; i < ds.fieldCount(); ++i) {
    EXPECT_EQ(ds.field(i).type(), types[i].first) << ds.field(i).name();
    EXPECT_EQ(ds.field(i).def().size, types[i].second) << ds.field(i).name();
  }
  EXPECT_TRUE(ds.fieldByName("C").def().fixedChar);
  EXPECT_EQ(ds.fieldByName("F").def().scale, 4);

  ASSERT_EQ(ds.recordCount(), 2);
  // Raw Big5 survives byte for byte, 0x5C and 0x7C second bytes included.
  EXPECT_EQ(ds.fieldByName("S").asString(), "\xB3\x5C\xA5\x5C\xBB\x5C|\xB7\x7C\xAC\x4F");
  EXPECT_EQ(ds.fieldByName("C").asString(), "AB        ");
  EXPECT_EQ(ds.fieldByName("W").asString(), "\xB3\x5C\xA5\x5Cx");  // 許功x
  EXPECT_EQ(ds.fieldByName("I1").value(), Value::integer(-1));
  EXPECT_EQ(ds.fieldByName("I8").asString(), "9000000000");
  EXPECT_EQ(ds.fieldByName("U4").asString(), "4000000000");
  EXPECT_EQ(ds.fieldByName("R4").asFloat(), 1.5);
  EXPECT_EQ(ds.fieldByName("M").asString(), "2777815");
  EXPECT_EQ(ds.fieldByName("F").value(), Value::decimal({-123400, 4}));
  EXPECT_EQ(ds.fieldByName("B").asString(), "True");
  EXPECT_EQ(ds.fieldByName("D").value(), Value::date({2018, 3, 15}));
  EXPECT_EQ(ds.fieldByName("T").value(), Value::time({12, 34, 5, 7}));
  EXPECT_EQ(ds.fieldByName("DT").value(), Value::dateTime({{1999, 12, 31}, {23, 59, 59, 999}}));
  EXPECT_EQ(ds.fieldByName("WM").asString(), "\xBB\x5C");  // 蓋
  EXPECT_EQ(ds.fieldByName("G").asString(), "hi");
  ds.next();
  // In the classic mode a character reference stands for one byte.
  EXPECT_EQ(ds.fieldByName("S").asString(), "\xB3\x5C");
  EXPECT_TRUE(ds.fieldByName("I4").isNull());
  EXPECT_EQ(ds.fieldByName("B").asString(), "False");
}

TEST(Packet, FieldNamesAreBig5BytesToo) {
  DataSet ds;
  ds.loadFromPacket(kHead +
                    "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                    "<FIELD attrname=\"N1\" fieldname=\"\xB3\x5C\" fieldtype=\"i4\"/>"
                    "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW N1=\"7\"/></ROWDATA>"
                    "</DATAPACKET>");
  EXPECT_EQ(ds.field(0).name(), "\xB3\x5C");
  EXPECT_EQ(ds.fieldByName("\xB3\x5C").asString(), "7");
  // Written back under a clean attrname, with the name kept in fieldname.
  DataSet again;
  again.loadFromPacket(ds.toPacket());
  EXPECT_EQ(again.fieldDefs(), ds.fieldDefs());
  EXPECT_EQ(again.field(0).asString(), "7");
}

TEST(Packet, AUtf8PacketGivesBig5Text) {
  std::string packet =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"NAME\" fieldtype=\"string\" WIDTH=\"20\"/>"
      "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW NAME=\"許功蓋\"/></ROWDATA></DATAPACKET>";
  DataSet ds;
  ds.loadFromPacket(packet);
  EXPECT_EQ(ds.fieldByName("NAME").asString(), "\xB3\x5C\xA5\x5C\xBB\x5C");
}

TEST(Packet, ABrokenPacketRaisesAndLeavesTheDatasetClosed) {
  const std::vector<std::string> broken = {
      "",
      "<html><body>Internal Server Error</body></html>",
      kHead + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>",
      kHead + "<DATAPACKET Version=\"2.0\"></DATAPACKET>",
      kHead +
          "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"X\" fieldtype=\"nested\"/>"
          "</FIELDS></METADATA></DATAPACKET>",
      withRows("<ROW N=\"seven\"/>"),
      withRows("<ROW CHG=\"2018-03-15\"/>"),
      withRows("<ROW PIC=\"***\"/>"),
      withRows("<ROW SAL_NO=\"&#300;\"/>"),
  };
  for (const auto& packet : broken) {
    DataSet ds;
    ds.loadFromPacket(kEmptyResult);
    EXPECT_THROW(ds.loadFromPacket(packet), GeneralError) << packet;
    EXPECT_FALSE(ds.active()) << packet;
    EXPECT_EQ(ds.fieldCount(), 0);
    EXPECT_EQ(ds.recordCount(), 0);
  }
}

TEST(Packet, WriterBytesAreExact) {
  DataSet ds;
  ds.open({{"SAL_NO", FieldType::String, 10},
           {"QTY", FieldType::Bcd, 15, 2},
           {"AMT", FieldType::Double},
           {"CHG", FieldType::Timestamp},
           {"T", FieldType::Time},
           {"NOTE", FieldType::Memo},
           {"RDB$X", FieldType::Int32},
           {"CALC", FieldType::Int32, 0, 0, false, FieldKind::Calculated}});
  ds.appendRecord({Value::text("A<&>\"'\r\n\t\\\xA5\x5C" + std::string(1, '\0') + "z"),
                   Value::decimal({250, 2}), Value(), Value::dateTime({{2018, 3, 15}, {}}),
                   Value::time({12, 34, 5, 7}), Value::text(""), Value::integer(1),
                   Value::integer(2)});
  EXPECT_EQ(ds.toPacket(),
            kHead +
                "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                "<FIELD attrname=\"SAL_NO\" fieldtype=\"string\" WIDTH=\"10\"/>"
                "<FIELD attrname=\"QTY\" fieldtype=\"fixed\" DECIMALS=\"2\" WIDTH=\"15\"/>"
                "<FIELD attrname=\"AMT\" fieldtype=\"r8\"/>"
                "<FIELD attrname=\"CHG\" fieldtype=\"SQLdateTime\"/>"
                "<FIELD attrname=\"T\" fieldtype=\"time\"/>"
                "<FIELD attrname=\"NOTE\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>"
                "<FIELD attrname=\"RDB_X\" fieldname=\"RDB$X\" fieldtype=\"i4\"/>"
                "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                "<ROW SAL_NO=\"A&lt;&amp;&gt;&quot;&apos;&#013;&#010;&#009;&#092;\xA5\x5Cz\" "
                "QTY=\"2.50\" CHG=\"20180315\" T=\"12:34:05007\" NOTE=\"\" RDB_X=\"1\"/>"
                "</ROWDATA></DATAPACKET>");
}

TEST(Packet, WriteThenReadGivesTheSameDataset) {
  DataSet out;
  out.open({{"S", FieldType::String, 30, 0, true},
            {"I2", FieldType::Int16},
            {"I4", FieldType::Int32},
            {"I8", FieldType::Int64},
            {"R", FieldType::Double},
            {"N", FieldType::Bcd, 18, 4},
            {"D", FieldType::Date},
            {"T", FieldType::Time},
            {"DT", FieldType::DateTime},
            {"TS", FieldType::Timestamp},
            {"M", FieldType::Memo},
            {"BL", FieldType::Blob},
            {"B", FieldType::Boolean}});
  out.appendRecord(
      {Value::text("\xB3\x5C\xA5\x5C\xBB\x5C \\ & \"q\" \r\n"), Value::integer(-32768),
       Value::integer(2147483647), Value::integer(-9000000000000000000), Value::floating(0.1),
       Value::decimal({-123456789012345678, 4}), Value::date({1, 1, 1}),
       Value::time({23, 59, 59, 999}), Value::dateTime({{2018, 3, 15}, {0, 0, 0, 1}}),
       Value::dateTime({{2018, 3, 15}, {12, 0, 0, 0}}), Value::text("memo\xB7\x7C\ttab"),
       Value::text(std::string("\0\xFF\x10", 3)), Value::boolean(true)});
  out.appendRecord(std::vector<Value>(13));
  out.appendRecord({Value::text(""), Value::integer(0), {}, {}, Value::floating(-1e-300)});

  DataSet in;
  in.loadFromPacket(out.toPacket());
  ASSERT_EQ(in.fieldDefs(), out.fieldDefs());
  ASSERT_EQ(in.recordCount(), out.recordCount());
  for (int r = 0; r < out.recordCount(); ++r)
    for (int f = 0; f < out.fieldCount(); ++f)
      EXPECT_EQ(in.valueAt(r, f), out.valueAt(r, f)) << "row " << r << " field " << f;
}

}  // namespace
}  // namespace tavrix::dataset
