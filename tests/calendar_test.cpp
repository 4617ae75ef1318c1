#include <gtest/gtest.h>

#include "platform/text/calendar.h"
#include "tests/support/error_text.h"

namespace tavrix {
namespace {

std::string failureOf(std::string (*convert)(std::string_view), std::string_view input) {
  return testing::errorOf([&] { convert(input); });
}

TEST(Calendar, DateToRocWritesAtLeastThreeYearDigits) {
  EXPECT_EQ(DateToROC("2018/03/15"), "107/03/15");
  EXPECT_EQ(DateToROC("2010/12/31"), "099/12/31");
  EXPECT_EQ(DateToROC("1911/01/01"), "000/01/01");
  EXPECT_EQ(DateToROC("1900/01/01"), "-011/01/01");
  EXPECT_EQ(DateToROC("2911/01/01"), "1000/01/01");
}

TEST(Calendar, DateToRocKeepsPositionsFiveToTen) {
  EXPECT_EQ(DateToROC("2018-03-15"), "107-03-15");
  EXPECT_EQ(DateToROC("2018/3/5"), "107/3/5");
  EXPECT_EQ(DateToROC("2018/03/15 12:00"), "107/03/15");
  EXPECT_EQ(DateToROC("2018"), "107");
}

TEST(Calendar, DateToRocRefusesAYearThatIsNoNumber) {
  EXPECT_EQ(failureOf(DateToROC, ""), "'' is not a valid integer value");
  EXPECT_EQ(failureOf(DateToROC, "18/03/15"), "'18/0' is not a valid integer value");
}

TEST(Calendar, RocToDateConvertsTheYearAndCopiesTheRest) {
  EXPECT_EQ(ROCToDate("107/03/15"), "2018/03/15");
  EXPECT_EQ(ROCToDate("99/12/31"), "2010/12/31");
  EXPECT_EQ(ROCToDate("107/3/5"), "2018/3/5");
  EXPECT_EQ(ROCToDate("107/03/15  "), "2018/03/15");
  EXPECT_EQ(ROCToDate("107/03/15\r\n"), "2018/03/15");
  EXPECT_EQ(ROCToDate("107/03"), "2018//03");
  EXPECT_EQ(ROCToDate("107/13/45"), "2018/13/45");  // never checked
  EXPECT_EQ(ROCToDate("-1911/01/01"), "0000/01/01");
}

TEST(Calendar, RocToDateRefusesAnEmptyOrMissingYear) {
  EXPECT_EQ(failureOf(ROCToDate, "1070315"), "'' is not a valid integer value");
  EXPECT_EQ(failureOf(ROCToDate, "/03/15"), "'' is not a valid integer value");
  EXPECT_EQ(failureOf(ROCToDate, ""), "'' is not a valid integer value");
  EXPECT_EQ(failureOf(ROCToDate, "abc/03/15"), "'abc' is not a valid integer value");
}

}  // namespace
}  // namespace tavrix
