// tavrix-online on Windows: the till program. The window first, then the head
// office's service client, then the message loop.
#include "app/till_window.h"
#include "app/win32_window.h"
#include "platform/stop/stop.h"
#include "platform/text/clock.h"
#include "platform/text/folders.h"
#include "service/head_office_service.h"

using namespace tavrix;

namespace {

// The service client exists before the window it shows its boxes on.
struct WindowBox : ModalBox {
  UploadHost* window = nullptr;
  void show(const std::string& text) override {
    if (window) window->show(text);
  }
};

}  // namespace

int main(int argc, char** argv) {
  stop::takeSignals();
  text::SystemClock clock;
  WindowBox box;
  HeadOfficeService service(clock, box, text::tillFolder(), text::rootFolder());

  Win32Window view;
  TillWindow window(
      view, service, clock,
      {std::vector<std::string>(argv + 1, argv + argc), text::tillFolder(), text::rootFolder()});
  view.attach(window);
  window.start();
  box.window = &window;

  service.readSettings();

  // A stop that came while the start-up error box was open: nothing to wait for.
  if (stop::requested()) return 0;
  return view.run();
}
