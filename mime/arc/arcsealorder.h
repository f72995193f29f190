#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kestrava
{
namespace Mime
{

class Header;

/// Where the three lines of every ARC set stand in a header. The lines of
/// a set may stand anywhere, in any order.
class ArcSealOrder
{
public:
    /// The mark of an instance without such a line.
    static constexpr uint32_t missing = UINT32_MAX;
    /// The instances RFC 8617 allows.
    static constexpr int highest = 50;

    /// Throws std::runtime_error for lines that do not read, instances out
    /// of range, duplicates and incomplete sets.
    explicit ArcSealOrder(const Header& header);
    virtual ~ArcSealOrder() = default;

    /// The number of sets.
    size_t size() const { return seals.size(); }

    const Header& header;
    /// Element i-1: the line of instance i.
    std::vector<uint32_t> results;
    std::vector<uint32_t> signatures;
    std::vector<uint32_t> seals;
};

} // namespace Mime
} // namespace Kestrava
