#include "tests/filter/support/everycut.h"

#include <gtest/gtest.h>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

void expectForEveryCut(const MakeStage& make, const std::string& input, const std::string& expected)
{
    EXPECT_EQ(throughStage(make, input), expected) << input << " whole";
    for (size_t cut = 0; cut <= input.size(); ++cut)
        EXPECT_EQ(throughPieces(make, cutAt(input, cut)), expected) << input << " cut at " << cut;
    std::vector<std::string> bytes;
    for (char c : input)
        bytes.emplace_back(1, c);
    EXPECT_EQ(throughPieces(make, bytes), expected) << input << " byte by byte";
}

} // namespace Check
} // namespace Filter
} // namespace Kestrava
