#pragma once

#include "openssl/detail/library.h"

#include "dynamic/function.h"
#include "dynamic/optionalfunction.h"

namespace Kestrava
{
namespace OpenSSL
{

/// The entry point's name on the loaded API level: `legacyName` for 1.0,
/// `currentName` otherwise. Read once, when a wrapper binds.
inline const char* apiName(const char* legacyName, const char* currentName)
{
    return library().legacy() ? legacyName : currentName;
}

/**
 * Binds a required entry point that OpenSSL renamed between releases (1.1
 * renamed SSLeay_version, 3.0 a number of accessors): `name` when the
 * library has it, otherwise `renamed`. When neither exists the error names
 * `name`, the entry point the caller asked for.
 */
template <typename Signature>
Dynamic::Function<Signature> bindRenamed(const char* name, const char* renamed)
{
    if (!Dynamic::OptionalFunction<Signature>(library(), name) &&
        Dynamic::OptionalFunction<Signature>(library(), renamed))
        return Dynamic::Function<Signature>(library(), renamed);
    return Dynamic::Function<Signature>(library(), name);
}

} // namespace OpenSSL
} // namespace Kestrava
