// What the upload run needs of its window. The Qt window, the command line
// and the tests each implement it. Texts are Big5.
#pragma once

#include <string>

#include "platform/text/regional.h"
#include "service/modal_box.h"

namespace tavrix {

class UploadHost : public ModalBox {
 public:
  // show(text), from ModalBox: a modal box with one OK button.

  // Memo1, the progress log.
  virtual void memo1Add(const std::string& line) = 0;
  virtual void memo1Clear() = 0;
  virtual int memo1LineCount() const = 0;
  // Memo2, the failure log, never cleared.
  virtual void memo2Add(const std::string& line) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  // CheckListBox1.
  virtual int checkItemCount() const = 0;
  virtual void tickCheckItem(int index) = 0;
  // RadioGroup1's selected index: -1 none, 0 not-yet-transferred, 1 one day.
  virtual int mode() const = 0;
  // The date of DateTimePicker1.
  virtual text::Date oneDayDate() const = 0;
  // Arms Timer1, so its next tick can start another run.
  virtual void armTimer1() = 0;
};

}  // namespace tavrix
