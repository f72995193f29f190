#include "openssl/generalname.h"

#include "openssl/functions.h"

#include <utility>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

/// The value of the kinds of name that hold a string; the others hold
/// structures of their own, which must not be read as one.
const ASN1_STRING* stringOf(const GENERAL_NAME* name)
{
    switch (name->type)
    {
    case GEN_EMAIL:
    case GEN_DNS:
    case GEN_URI:
        return name->d.ia5;
    case GEN_IPADD:
        return name->d.iPAddress;
    default:
        return nullptr;
    }
}

} // namespace

GeneralName::GeneralName(GENERAL_NAME* name) : _name(name), _value(stringOf(name)) {}

GeneralName::GeneralName(GeneralName&& other) noexcept
    : _name(other._name), _value(std::move(other._value))
{
    other._name = nullptr;
}

GeneralName::~GeneralName()
{
    if (_name != nullptr) OpenSSL::GENERAL_NAME_free(_name);
}

} // namespace OpenSSL
} // namespace Kestrava
