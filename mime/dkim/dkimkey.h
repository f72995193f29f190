#pragma once

#include "openssl/key.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// A signing key with what a signature names: d=, s=, a= and r=y.
class DkimKey
{
public:
    /// Takes a reference of its own to the private key.
    DkimKey(EVP_PKEY* key, std::string domain, std::string selector,
            std::string algorithm = "rsa-sha256", bool report = false)
        : key(key), domain(std::move(domain)), selector(std::move(selector)),
          algorithm(std::move(algorithm)), report(report)
    {
    }
    virtual ~DkimKey() = default;
    OpenSSL::Key key;
    std::string domain;
    std::string selector;
    std::string algorithm;
    bool report;
};

} // namespace Mime
} // namespace Kestrava
