#include "app/till_program.h"

#include "platform/stop/stop.h"
#include "platform/text/clock.h"
#include "platform/text/folders.h"
#include "service/head_office_service.h"

namespace tavrix {

int runTillProgram(int argc, char** argv, WindowView& view,
                   const std::function<void(TillWindow&)>& attach,
                   const std::function<int()>& messageLoop) {
  text::SystemClock clock;
  HostBox box;
  HeadOfficeService service(clock, box, text::tillFolder(), text::rootFolder());
  TillWindow window(
      view, service, clock,
      {std::vector<std::string>(argv + 1, argv + argc), text::tillFolder(), text::rootFolder()});
  attach(window);
  window.start();
  box.host = &window.engine.host();
  // A bad setting is shown at once; the client then stays uncreated and no
  // run starts.
  if (std::string error = window.engine.readSettings(); !error.empty()) view.errorBox(error);

  // A stop that came while the start-up error box was open: nothing to wait for.
  if (stop::requested()) return 0;
  return messageLoop();
}

}  // namespace tavrix
