#pragma once

#include "dynamic/library.h"

namespace Kestrava
{
namespace Dns
{

/**
 * libidn, loaded at run time under the first of `versions` that opens.
 *
 * The library and each entry point are bound on first use, from any thread;
 * an entry point that cannot be bound throws std::runtime_error ("Method
 * NAME not found ...") and is tried again on the next call.
 */
class LibIDN
{
public:
    /// libidn's own flag and result values (idna.h), so that building needs
    /// no libidn headers.
    static constexpr int allowUnassigned = 1;
    static constexpr int useStd3AsciiRules = 2;
    static constexpr int invalidLength = 5;
    static constexpr int dlopenError = 202;

    /// The candidate file names, null-terminated. The development package
    /// alone provides "libidn.so"; "libidn.so.12" is the run-time package.
    static const char* const versions[];

    static const Dynamic::Library& library();

    /// Whether one of the candidates opened.
    static bool valid();

    /// libidn's functions of the same names; `output` receives a malloc()ed
    /// text on success.
    static int idna_to_unicode_8z8z(const char* input, char** output, int flags);
    static int idna_to_ascii_8z(const char* input, char** output, int flags);
    static const char* idna_strerror(int code);
};

} // namespace Dns
} // namespace Kestrava
