#include "dns/hostname/libidn.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace Dns
{

const char* const LibIDN::versions[] = {
    "libidn.so",         "libidn.so.11",     "libidn.so.11.6.16", "libidn.so.11.6.15",
    "libidn.so.11.6.11", "libidn.so.11.6.6", "libidn.so.12",      nullptr,
};

const Dynamic::Library& LibIDN::library()
{
    static const Dynamic::Library library(versions);
    return library;
}

bool LibIDN::valid()
{
    return library().valid();
}

int LibIDN::idna_to_unicode_8z8z(const char* input, char** output, int flags)
{
    static const Dynamic::Function<int(const char*, char**, int)> function(library(),
                                                                           "idna_to_unicode_8z8z");
    return function(input, output, flags);
}

int LibIDN::idna_to_ascii_8z(const char* input, char** output, int flags)
{
    static const Dynamic::Function<int(const char*, char**, int)> function(library(),
                                                                           "idna_to_ascii_8z");
    return function(input, output, flags);
}

const char* LibIDN::idna_strerror(int code)
{
    static const Dynamic::Function<const char*(int)> function(library(), "idna_strerror");
    return function(code);
}

} // namespace Dns
} // namespace Kestrava
