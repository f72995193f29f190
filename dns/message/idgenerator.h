#pragma once

#include <cstddef>
#include <random>

namespace DNS
{

/// Query ids: unpredictable, so that an off-path attacker cannot guess the
/// id of an answer to forge, and never 0.
class IdGenerator
{
public:
    IdGenerator();
    explicit IdGenerator(unsigned seed);

    /// Safe to call from several threads: blocking lookups run resolvers on
    /// threads of their own, all drawing from the one process-wide generator.
    unsigned short generate();

    /// How many lookups may be in flight at once: half the id space, so that
    /// a fresh id rarely collides with one in use.
    static constexpr size_t capacity() { return 32768; }

private:
    std::mt19937 _engine;
    std::uniform_int_distribution<unsigned short> _distribution{1, 65535};
};

/// The process-wide generator, seeded once from std::random_device.
extern IdGenerator randomids;

} // namespace DNS
