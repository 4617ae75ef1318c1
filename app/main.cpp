// tavrix-online: the till program. The window first, then the data service
// client, then the message loop.
#include <QApplication>

#include "app/FrmTavrix.h"
#include "platform/stop/stop.h"
#include "platform/text/clock.h"
#include "platform/text/folders.h"
#include "service/FrmDataModHttp.h"

using namespace tavrix;

namespace {

// The data service client exists before the window it shows its boxes on.
struct WindowBox : ModalBox {
  UploadHost* window = nullptr;
  void show(const std::string& text) override {
    if (window) window->show(text);
  }
};

}  // namespace

int main(int argc, char** argv) {
  stop::takeSignals();
  QApplication app(argc, argv);
  app.setApplicationDisplayName("Tavrix OnLine");
  app.setQuitOnLastWindowClosed(false);  // hidden to the tray is not closed
  std::vector<std::string> args(argv + 1, argv + argc);

  text::SystemClock clock;
  std::string till = text::tillFolder();
  WindowBox box;
  TDataModHttp dataModule(clock, box, till, text::rootFolder());

  TFormTavrix_OnLine::Options options;
  options.args = args;
  options.tillFolder = till;
  TFormTavrix_OnLine form(dataModule, clock, options);
  box.window = &form;

  dataModule.DataModuleCreate();
  DataModHttp = &dataModule;

  // A stop that came while the start-up error box was open: nothing to wait for.
  if (stop::requested()) return 0;
  form.QWidget::show();
  return app.exec();
}
