#include <openssl/ssl.h>

#include "platform/tls/system_trust.h"

namespace tavrix::tls {

bool trustSystemAuthorities(SSL_CTX* context) {
  return SSL_CTX_set_default_verify_paths(context) == 1;
}

}  // namespace tavrix::tls
