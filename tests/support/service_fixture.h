// What a service test needs around HeadOfficeService: a fixed clock, a box that
// records what it shows, and a till folder of its own.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/clock.h"
#include "service/head_office_service.h"
#include "service/modal_box.h"

namespace tavrix::testing {

class FixedClock : public text::Clock {
 public:
  explicit FixedClock(text::DateTime at) : at_(at) {}
  text::DateTime now() const override { return at_; }
  text::DateTime at_;
};

class RecordingBox : public ModalBox {
 public:
  void show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// A new folder of the system's temporary folder, named prefix-XXXXXX, open
// to every user (the database server may run as another); ends with "/".
std::string makeTempFolder(const std::string& prefix);

// A fresh folder under /tmp, removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }  // ends with "/"
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::string path_;
};

// 2018/03/15 12:34:56.789: the form boundary is "--------031518123456789".
inline text::DateTime fixedMoment() {
  return {{2018, 3, 15}, {12, 34, 56, 789}};
}

// A client whose till folder holds this httpset.ini (none when empty).
struct ServiceUnderTest {
  explicit ServiceUnderTest(const std::string& ini = "");
  TempFolder folder;
  FixedClock clock{fixedMoment()};
  RecordingBox box;
  HeadOfficeService http{clock, box, folder.path(), folder.path()};
};

}  // namespace tavrix::testing
