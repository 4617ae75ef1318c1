#include "tests/support/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace tavrix::testing {

namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

std::string pemOf(X509* certificate) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, certificate);
  char* data = nullptr;
  long n = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<size_t>(n));
  BIO_free(bio);
  return pem;
}

std::string pemOf(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  long n = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<size_t>(n));
  BIO_free(bio);
  return pem;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  check(extension != nullptr, "extension");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

// A certificate for `key`, named `name`, issued by `issuer` (itself when
// null); signed afterwards.
X509* certificate(EVP_PKEY* key, const std::string& name, X509* issuer, int fromDays, int toDays) {
  static long serial = 1;
  X509* c = X509_new();
  X509_set_version(c, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(c), serial++);
  X509_gmtime_adj(X509_getm_notBefore(c), static_cast<long>(fromDays) * 86400);
  X509_gmtime_adj(X509_getm_notAfter(c), static_cast<long>(toDays) * 86400);
  X509_set_pubkey(c, key);
  X509_NAME* subject = X509_get_subject_name(c);
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
  X509_set_issuer_name(c, issuer ? X509_get_subject_name(issuer) : subject);
  return c;
}

}  // namespace

struct TestAuthority::Keys {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  ~Keys() {
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

TestAuthority::TestAuthority(const std::string& name) : keys_(std::make_unique<Keys>()) {
  keys_->key = EVP_EC_gen("P-256");
  check(keys_->key != nullptr, "authority key");
  X509* c = certificate(keys_->key, name, nullptr, -1, 3650);
  addExtension(c, c, NID_basic_constraints, "critical,CA:TRUE");
  addExtension(c, c, NID_key_usage, "critical,keyCertSign,cRLSign");
  addExtension(c, c, NID_subject_key_identifier, "hash");
  check(X509_sign(c, keys_->key, EVP_sha256()) > 0, "authority signature");
  keys_->certificate = c;
  pem_ = pemOf(c);
}

TestAuthority::~TestAuthority() = default;

Identity TestAuthority::issue(const std::vector<std::string>& names, int fromDays,
                              int toDays) const {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  check(key != nullptr, "server key");
  X509* c = certificate(key, names.empty() ? "server" : names.front(), keys_->certificate, fromDays,
                        toDays);
  std::string alternatives;
  for (const std::string& n : names) {
    bool address = n.find_first_not_of("0123456789.") == std::string::npos;
    alternatives += (alternatives.empty() ? "" : ",") + std::string(address ? "IP:" : "DNS:") + n;
  }
  if (!alternatives.empty())
    addExtension(c, keys_->certificate, NID_subject_alt_name, alternatives);
  addExtension(c, keys_->certificate, NID_basic_constraints, "critical,CA:FALSE");
  addExtension(c, keys_->certificate, NID_ext_key_usage, "serverAuth");
  addExtension(c, keys_->certificate, NID_authority_key_identifier, "keyid");
  check(X509_sign(c, keys_->key, EVP_sha256()) > 0, "server signature");
  Identity identity{pemOf(c) + pem_, pemOf(key)};
  X509_free(c);
  EVP_PKEY_free(key);
  return identity;
}

}  // namespace tavrix::testing
