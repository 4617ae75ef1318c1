// OpenSSL built for Windows knows no system store: the root certificates of
// the Windows store are copied into the context's own.
#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "platform/tls/system_trust.h"

namespace tavrix::tls {

bool trustSystemAuthorities(SSL_CTX* context) {
  HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
  if (!store) return false;
  X509_STORE* trusted = SSL_CTX_get_cert_store(context);
  int added = 0;
  const CERT_CONTEXT* certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
    const unsigned char* der = certificate->pbCertEncoded;
    X509* x509 = d2i_X509(nullptr, &der, static_cast<long>(certificate->cbCertEncoded));
    if (!x509) continue;
    if (X509_STORE_add_cert(trusted, x509) == 1) ++added;
    X509_free(x509);
  }
  CertCloseStore(store, 0);
  return added > 0;
}

}  // namespace tavrix::tls
