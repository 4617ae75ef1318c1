#include "platform/service/service.h"

namespace tavrix::service {

// Linux runs the uploader under systemd as a plain process.
int runAsService(const char*, const std::function<int()>&) {
  return kNotUnderServiceManager;
}

}  // namespace tavrix::service
