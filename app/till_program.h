// The till program's start, the same for either window: the head office's
// service client, the window's behaviour on the given view, its start-up
// steps, then the view's message loop.
#pragma once

#include <functional>

#include "app/till_window.h"
#include "app/window_view.h"

namespace tavrix {

// `attach` hands the behaviour to the view; `messageLoop` shows the window
// and runs until the program ends, giving the exit status. The caller holds
// the till's lock (one uploader per till) before it makes the view.
int runTillProgram(int argc, char** argv, WindowView& view,
                   const std::function<void(TillWindow&)>& attach,
                   const std::function<int()>& messageLoop);

}  // namespace tavrix
