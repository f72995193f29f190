#pragma once

#include <cstddef>

namespace Kestrava {
namespace JSON {

/**
 * The receiver of serialised JSON text, handed over piece by piece.
 *
 * The pieces are borrowed: they are valid during the call only.
 */
class Processor
{
public:
    virtual ~Processor() = default;

    /// Takes one piece of the text; returns the number of bytes taken.
    virtual size_t process(const char* data, size_t size) = 0;
};

/// The write callback given to libfastjson: forwards to the Processor that
/// processor points to and returns its result.
size_t dump2processor(void* processor, const char* data, size_t size);

} // namespace JSON
} // namespace Kestrava
