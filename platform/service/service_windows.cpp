#include <windows.h>

#include <csignal>
#include <string>

#include "platform/service/service.h"
#include "platform/stop/stop.h"

namespace tavrix::service {

namespace {

// The service manager calls back without a context of ours: one service a
// process.
std::wstring g_name;
const std::function<int()>* g_body = nullptr;
int g_result = 0;
SERVICE_STATUS_HANDLE g_handle = nullptr;
SERVICE_STATUS g_status = {};

// Time the run is given to reach its safe point; a wait for the head office
// is cut short at once, a local statement runs to its end.
constexpr DWORD kStopWaitHint = 15000;

void report(DWORD state, DWORD waitHint = 0) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  g_status.dwWaitHint = waitHint;
  g_status.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 1;
  SetServiceStatus(g_handle, &g_status);
}

// Restart after a minute whenever the service ends other than by a stop: a
// crash, or a start-up error (the database server not up yet at boot).
// Set by the service itself, the same under every installer.
void restartOnFailure() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return;
  SC_HANDLE self = OpenServiceW(manager, g_name.c_str(), SERVICE_CHANGE_CONFIG | SERVICE_START);
  if (self) {
    SC_ACTION restart[3] = {
        {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}};
    SERVICE_FAILURE_ACTIONSW actions = {24 * 60 * 60, nullptr, nullptr, 3, restart};
    ChangeServiceConfig2W(self, SERVICE_CONFIG_FAILURE_ACTIONS, &actions);
    SERVICE_FAILURE_ACTIONS_FLAG onErrorExit = {TRUE};
    ChangeServiceConfig2W(self, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onErrorExit);
    CloseServiceHandle(self);
  }
  CloseServiceHandle(manager);
}

DWORD WINAPI control(DWORD code, DWORD, void*, void*) {
  switch (code) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      report(SERVICE_STOP_PENDING, kStopWaitHint);
      stop::request(SIGTERM);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI serviceMain(DWORD, wchar_t**) {
  g_handle = RegisterServiceCtrlHandlerExW(g_name.c_str(), control, nullptr);
  if (!g_handle) return;
  report(SERVICE_RUNNING);
  restartOnFailure();
  g_result = (*g_body)();
  g_status.dwWin32ExitCode = g_result == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
  g_status.dwServiceSpecificExitCode = static_cast<DWORD>(g_result);
  report(SERVICE_STOPPED);
}

}  // namespace

int runAsService(const char* name, const std::function<int()>& body) {
  g_name.assign(name, name + std::char_traits<char>::length(name));
  g_body = &body;
  SERVICE_TABLE_ENTRYW table[] = {{g_name.data(), serviceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherW(table))
    return GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT ? kNotUnderServiceManager : 1;
  return g_result;
}

}  // namespace tavrix::service
