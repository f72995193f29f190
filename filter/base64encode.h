#pragma once

#include "filter/detail/base64bios.h"
#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Base64 encoding through OpenSSL's base64 BIO, never with line breaks.
 * The last group and its "=" padding come out only at flush(), which the
 * destructor also calls; a second flush adds nothing.
 */
class Base64Encode : public Filter
{
public:
    /// Throws std::runtime_error when OpenSSL cannot be loaded.
    explicit Base64Encode(Result* next);
    ~Base64Encode() override;

    using Filter::process;

    /// Encodes the chunk; `final` is not used, the output is the stage's.
    size_t process(const char* data, size_t size, bool final) override;

    /// Writes the last group with its padding, then flushes the next sink.
    size_t flush() override;

private:
    /// Hands what the memory BIO holds to the next sink.
    size_t drain();

    detail::Base64Bios _bios;
};

} // namespace Filter
} // namespace Kestrava
