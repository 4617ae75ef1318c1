// The program as a Windows service: the service control manager starts it,
// and stops it (a stop, or the machine's shutdown) at its next safe point.
#pragma once

#include <functional>

namespace tavrix::service {

// Returned when the program was not started by a service manager (a console,
// or a system that has none).
constexpr int kNotUnderServiceManager = -1;

// Hands the program to the service manager as the service `name` and runs
// `body` as the service's work: a stop or shutdown from the manager asks for
// a stop (stop::request) and reports the stop as pending, with a wait hint.
// The body's result ends the service: 0 as a clean stop, anything else as
// the service-specific exit code that `sc query` shows. Returns that result,
// or kNotUnderServiceManager.
int runAsService(const char* name, const std::function<int()>& body);

}  // namespace tavrix::service
