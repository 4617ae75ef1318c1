// What the upload run needs of its window. The window, the command line and
// the tests each implement it. Texts are Big5.
#pragma once

#include <chrono>
#include <string>

#include "platform/text/regional.h"
#include "service/modal_box.h"

namespace tavrix {

class UploadHost : public ModalBox {
 public:
  // show(text), from ModalBox: a modal box with one OK button.

  // The progress log, cleared by the run when it grows long.
  virtual void addProgressLine(const std::string& line) = 0;
  virtual void clearProgress() = 0;
  virtual int progressLineCount() const = 0;
  // The failure log, never cleared.
  virtual void addFailureLine(const std::string& line) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  // The list of data kinds, each ticked as the run reaches it.
  virtual int kindCount() const = 0;
  virtual void tickKind(int index) = 0;
  // The selected mode: -1 none, 0 not yet transferred, 1 one day.
  virtual int mode() const = 0;
  // The day of the one-day mode.
  virtual text::Date oneDayDate() const = 0;
  // Arms the upload timer, so its next tick can start another run.
  virtual void armUploadTimer() = 0;
  // Arms it once for a tick after `delay` (watch_minutes), then as before.
  virtual void armUploadTimerAfter(std::chrono::minutes delay) = 0;
};

// The head-office client's box (its "Connection problem!"), shown through
// the run's host, so that boxes=0 and the run log apply to it too. The client
// exists before the engine whose host it goes to.
struct HostBox : ModalBox {
  UploadHost* host = nullptr;
  void show(const std::string& text) override {
    if (host) host->show(text);
  }
};

}  // namespace tavrix
