#include <gtest/gtest.h>

#include "platform/text/big5.h"
#include "platform/text/folders.h"
#include "platform/text/number_text.h"
#include "platform/text/regional.h"
#include "tests/support/service_fixture.h"

namespace tavrix::text {
namespace {

// Big5 characters whose second byte is a backslash, a bar or a letter.
const std::string kXu = "\xB3\x5C";    // 許
const std::string kGong = "\xA5\x5C";  // 功
const std::string kGai = "\xBB\x5C";   // 蓋
const std::string kHui = "\xB7\x7C";   // 會
const std::string kShi = "\xAC\x4F";   // 是

TEST(Big5, ConvertsBothWaysWithoutTouchingSecondBytes) {
  std::string big5 = kXu + kGong + kGai + kHui + kShi + "A\\|";
  EXPECT_EQ(big5ToUtf8(big5), "許功蓋會是A\\|");
  EXPECT_EQ(utf8ToBig5("許功蓋會是A\\|"), big5);
  EXPECT_EQ(B5("收銀銷售"), "\xA6\xAC\xBB\xC8\xBE\x50\xB0\xE2");
}

TEST(Big5, UnconvertibleInputBecomesAQuestionMark) {
  EXPECT_EQ(utf8ToBig5("a😀b"), "a?b");
  EXPECT_EQ(big5ToUtf8("a\xFF"
                       "b"),
            "a?b");
  EXPECT_EQ(big5ToUtf8("a\xA4"), "a?");
}

TEST(Big5, CutToWidthNeverSplitsADoubleByteCharacter) {
  std::string s = kXu + kGong + kGai;
  EXPECT_EQ(cutToWidth(s, 6), s);
  EXPECT_EQ(cutToWidth(s, 5), kXu + kGong);
  EXPECT_EQ(cutToWidth(s, 4), kXu + kGong);
  EXPECT_EQ(cutToWidth(s, 1), "");
  EXPECT_EQ(cutToWidth("A" + kXu + "B", 2), "A");
  EXPECT_EQ(cutToWidth("A" + kXu + "B", 3), "A" + kXu);
  // A 0x5C second byte is not taken for a character of its own.
  EXPECT_EQ(cutToWidth(kGong + "\\\\", 3), kGong + "\\");
  EXPECT_EQ(cutToWidth("abcdef", 4), "abcd");
}

TEST(NumberText, GeneralFormatWithFifteenDigits) {
  EXPECT_EQ(formatGeneral(12.50), "12.5");
  EXPECT_EQ(formatGeneral(7), "7");
  EXPECT_EQ(formatGeneral(-0.25), "-0.25");
  EXPECT_EQ(formatGeneral(0.0001), "0.0001");
  EXPECT_EQ(formatGeneral(0.00001), "1E-5");
  EXPECT_EQ(formatGeneral(1e20), "1E20");
  EXPECT_EQ(formatGeneral(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(formatGeneral(0), "0");
  EXPECT_EQ(formatGeneral(-0.0), "0");
  EXPECT_EQ(formatGeneral(100), "100");
  EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(formatGeneral(999999999999999), "999999999999999");
  EXPECT_EQ(formatGeneral(1e15), "1E15");
  EXPECT_EQ(formatGeneral(9999999999999999.0), "1E16");
  EXPECT_EQ(formatGeneral(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(formatGeneral(-1.5e-7), "-1.5E-7");
  EXPECT_EQ(formatGeneral(2777815), "2777815");
  EXPECT_EQ(formatGeneral(0.000123), "0.000123");
}

TEST(NumberText, ParsesOnlyWholeNumbers) {
  EXPECT_EQ(parseFloat(" 12.5 "), 12.5);
  EXPECT_EQ(parseFloat("-1e3"), -1000);
  EXPECT_EQ(parseFloat("+.5"), 0.5);
  EXPECT_EQ(parseFloat("5."), 5);
  EXPECT_EQ(parseFloat("2.5E-2"), 0.025);
  for (const char* bad :
       {"", " ", "-", ".", "1,5", "abc", "1e", "0x10", "inf", "nan", "1 2", "12a", "1e999"})
    EXPECT_FALSE(parseFloat(bad)) << bad;

  EXPECT_EQ(parseInteger(" 42 "), 42);
  EXPECT_EQ(parseInteger("+7"), 7);
  EXPECT_EQ(parseInteger("-3"), -3);
  for (const char* bad : {"", "4.0", "1e3", "--1", "9223372036854775808", "12a"})
    EXPECT_FALSE(parseInteger(bad)) << bad;
}

TEST(Regional, FormatsDatesAndTimes) {
  EXPECT_EQ(formatDate({2018, 3, 5}), "2018/03/05");
  EXPECT_EQ(formatTime({9, 5, 7, 999}), "09:05:07");
  EXPECT_EQ(formatDateTime({{2018, 3, 15}, {}}), "2018/03/15");
  EXPECT_EQ(formatDateTime({{2018, 3, 15}, {0, 0, 0, 500}}), "2018/03/15");
  EXPECT_EQ(formatDateTime({{2018, 3, 15}, {13, 4, 0, 0}}), "2018/03/15 13:04:00");
  EXPECT_EQ(formatStamp({{2018, 3, 15}, {13, 4, 9, 0}}), "20180315-130409");
}

TEST(Regional, ParsesTheShortDateAndLongTime) {
  EXPECT_EQ(parseDate("2018/03/15"), (Date{2018, 3, 15}));
  EXPECT_EQ(parseDate("2018/3/5"), (Date{2018, 3, 5}));
  EXPECT_EQ(parseDate("18/3/5"), (Date{2018, 3, 5}));
  EXPECT_EQ(parseDate("2016/02/29"), (Date{2016, 2, 29}));
  for (const char* bad : {"", "xyz", "2018-03-15", "2018/02/30", "2018/13/01", "2018/03",
                          "2018/03/15/1", "12345/01/01"})
    EXPECT_FALSE(parseDate(bad)) << bad;

  EXPECT_EQ(parseTime("12:34:56"), (Time{12, 34, 56, 0}));
  EXPECT_EQ(parseTime("7:05"), (Time{7, 5, 0, 0}));
  EXPECT_EQ(parseTime("12:34:56.5"), (Time{12, 34, 56, 500}));
  EXPECT_FALSE(parseTime("24:00:00"));
  EXPECT_FALSE(parseTime("12"));

  EXPECT_EQ(parseDateTime("2018/03/15 12:34:56"), (DateTime{{2018, 3, 15}, {12, 34, 56, 0}}));
  EXPECT_EQ(parseDateTime("2018/03/15"), (DateTime{{2018, 3, 15}, {}}));
  EXPECT_FALSE(parseDateTime("2018/03/15 noon"));
}

TEST(Regional, DateTimeNumberCountsDaysFrom1899_12_30) {
  EXPECT_EQ(toDateTimeNumber({}), 0);
  EXPECT_EQ(toDateTimeNumber({{2018, 3, 15}, {12, 0, 0, 0}}), 43174.5);
  EXPECT_EQ(fromDateTimeNumber(43174.5), (DateTime{{2018, 3, 15}, {12, 0, 0, 0}}));
  EXPECT_EQ(fromDateTimeNumber(-1.25), (DateTime{{1899, 12, 29}, {6, 0, 0, 0}}));
}

void setTillHome(const char* value) {  // empty: unset
#ifdef _WIN32
  _putenv_s("TAVRIX_HOME", value);
#else
  if (*value)
    ::setenv("TAVRIX_HOME", value, 1);
  else
    ::unsetenv("TAVRIX_HOME");
#endif
}

TEST(Folders, TavrixHomeNamesTheTillFolder) {
  setTillHome("/some/till");
  EXPECT_EQ(tillFolder(), std::string("/some/till") + kPathSeparator);
#ifdef _WIN32
  EXPECT_EQ(rootFolder(), "C:\\");
#else
  EXPECT_EQ(rootFolder(), "/some/till/");
#endif
  setTillHome("");
  EXPECT_EQ(tillFolder(), executableFolder());
  EXPECT_EQ(tillFolder().back(), kPathSeparator);
}

// status.json is replaced this way after every run: Windows' rename() would
// refuse the existing file.
TEST(Folders, ReplaceFileTakesThePlaceOfAnExistingFile) {
  testing::TempFolder folder;
  folder.write("status.json", "first run");
  folder.write("status.json.tmp", "second run");
  ASSERT_TRUE(replaceFile(folder.path() + "status.json.tmp", folder.path() + "status.json"));
  EXPECT_EQ(folder.read("status.json"), "second run");
  EXPECT_FALSE(folder.exists("status.json.tmp"));
}

}  // namespace
}  // namespace tavrix::text
