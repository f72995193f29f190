#include "openssl/exception.h"

#include "openssl/functions.h"

#include <string>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

std::string reasonOf(unsigned long code)
{
    if (code == 0) return "Unknown error code";
    const char* reason = OpenSSL::ERR_reason_error_string(code);
    return reason != nullptr ? reason : "Unknown error: error strings not loaded";
}

} // namespace

Exception::Exception(unsigned long code) : std::runtime_error(reasonOf(code)) {}

Exception::Exception(const char* message) : std::runtime_error(message) {}

} // namespace OpenSSL
} // namespace Kestrava
