// Certificates made at test time, never stored: an authority of the tests'
// own and the server certificates it issues.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tavrix::testing {

struct Identity {
  std::string certificatePem;  // the certificate, then the authority's
  std::string keyPem;
};

class TestAuthority {
 public:
  explicit TestAuthority(const std::string& name = "Tavrix Test Authority");
  ~TestAuthority();
  TestAuthority(const TestAuthority&) = delete;
  TestAuthority& operator=(const TestAuthority&) = delete;

  const std::string& pem() const { return pem_; }
  // A server certificate for these names (DNS names, or IP addresses),
  // valid from `fromDays` to `toDays` days from now.
  Identity issue(const std::vector<std::string>& names = {"localhost", "127.0.0.1"},
                 int fromDays = -1, int toDays = 30) const;

 private:
  struct Keys;
  std::unique_ptr<Keys> keys_;
  std::string pem_;
};

}  // namespace tavrix::testing
