#pragma once

namespace Kestrava
{
namespace OpenSSL
{

/// Whether an OpenSSL library was found (in the process or by file name).
bool valid();

/// The dlopen() handle of the OpenSSL in use: the process's own handle when
/// the process already carried OpenSSL, null when none could be loaded.
void* handle();

/// Whether the loaded library can authenticate peers by DANE. Asked anew on
/// every call.
bool supportsDane();

} // namespace OpenSSL
} // namespace Kestrava
