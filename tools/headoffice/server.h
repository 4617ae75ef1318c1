// The HTTP side of the simulator.
#pragma once

#include "tools/headoffice/endpoints.h"
#include "tools/headoffice/options.h"

namespace tavrix::sim {

// Listens, prints "listening on ADDR:PORT", serves until SIGINT or SIGTERM.
// Raises std::runtime_error when it cannot listen.
void serve(const SimOptions& options, HeadOffice& office);

}  // namespace tavrix::sim
