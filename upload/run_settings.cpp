#include "upload/run_settings.h"

#include "platform/errors.h"
#include "platform/text/number_text.h"
#include "service/profile_string.h"

namespace tavrix {

namespace {

int wholeNumber(const ProfileFile& ini, const char* key, const char* fallback) {
  std::string text = ini.value("run", key, fallback);
  auto n = text::parseInteger(text);
  if (!n || *n < 0 || *n > 1000000)
    throw GeneralError(std::string("httpset.ini: [run] ") + key +
                       " must be a whole number (0 or more), not \"" + text + "\"");
  return static_cast<int>(*n);
}

bool zeroOrOne(const ProfileFile& ini, const char* key, const char* fallback) {
  std::string text = ini.value("run", key, fallback);
  if (text != "0" && text != "1")
    throw GeneralError(std::string("httpset.ini: [run] ") + key + " must be 0 or 1, not \"" + text +
                       "\"");
  return text == "1";
}

}  // namespace

RunSettings readRunSettings(const std::string& tillFolder) {
  ProfileFile ini = ProfileFile::load(tillFolder + "httpset.ini");
  RunSettings s;
  s.boxes = wholeNumber(ini, "boxes", "1") != 0;
  s.catchUp = wholeNumber(ini, "catch_up", "0") != 0;
  s.watchMinutes = wholeNumber(ini, "watch_minutes", "0");
  s.foreignSaleGuard = zeroOrOne(ini, "foreign_sale_guard", "1");
  return s;
}

std::string describe(const RunSettings& s) {
  return std::string("boxes ") + (s.boxes ? "1" : "0") + ", catch_up " + (s.catchUp ? "1" : "0") +
         ", watch_minutes " + std::to_string(s.watchMinutes) + ", foreign_sale_guard " +
         (s.foreignSaleGuard ? "1" : "0");
}

}  // namespace tavrix
