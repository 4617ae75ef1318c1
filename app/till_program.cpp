#include "app/till_program.h"

#include "platform/stop/stop.h"
#include "platform/text/clock.h"
#include "platform/text/folders.h"
#include "service/head_office_service.h"

namespace tavrix {

namespace {

// The service client exists before the window it shows its boxes on.
struct WindowBox : ModalBox {
  UploadHost* window = nullptr;
  void show(const std::string& text) override {
    if (window) window->show(text);
  }
};

}  // namespace

int runTillProgram(int argc, char** argv, WindowView& view,
                   const std::function<void(TillWindow&)>& attach,
                   const std::function<int()>& messageLoop) {
  text::SystemClock clock;
  WindowBox box;
  HeadOfficeService service(clock, box, text::tillFolder(), text::rootFolder());
  TillWindow window(
      view, service, clock,
      {std::vector<std::string>(argv + 1, argv + argc), text::tillFolder(), text::rootFolder()});
  attach(window);
  window.start();
  box.window = &window;
  try {
    service.readSettings();
  } catch (const std::exception& e) {
    // Shown at once; without its settings the client stays uncreated and no
    // run starts.
    view.errorBox(e.what());
  }

  // A stop that came while the start-up error box was open: nothing to wait for.
  if (stop::requested()) return 0;
  return messageLoop();
}

}  // namespace tavrix
