// The system's own certificate authorities, for verifying a server when no
// authority file is given: OpenSSL's default paths on Linux, the Windows root
// store on Windows.
#pragma once

typedef struct ssl_ctx_st SSL_CTX;

namespace tavrix::tls {

// Adds the system's authorities to the context's trust store. False when
// none could be added (the verification then fails: nothing is trusted).
bool trustSystemAuthorities(SSL_CTX* context);

}  // namespace tavrix::tls
