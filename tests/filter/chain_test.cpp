#include "filter/filter.h"
#include "filter/memory.h"
#include "filter/string.h"

#include "tests/filter/support/recorder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::Recorder;

std::vector<size_t> sizesOf(const Recorder& recorder)
{
    std::vector<size_t> sizes;
    for (const Recorder::Call& call : recorder.calls)
        sizes.push_back(call.bytes.size());
    return sizes;
}

TEST(ChainTest, StreamsArriveInBlocksOf4096)
{
    std::string text(10000, 'x');
    Recorder sink;
    std::istringstream stream(text);
    EXPECT_EQ(sink.append(stream), 10000u);
    EXPECT_EQ(sizesOf(sink), (std::vector<size_t>{4096, 4096, 1808}));
    EXPECT_FALSE(sink.calls[0].final);

    Recorder filtered;
    Filter pass(&filtered);
    std::istringstream again(text);
    EXPECT_EQ(pass.process(again), 10000u);
    EXPECT_EQ(sizesOf(filtered), (std::vector<size_t>{4096, 4096, 1808}));
}

TEST(ChainTest, StreamAtEndOrFailedGivesNothing)
{
    Recorder sink;
    std::istringstream empty("");
    empty.get();
    EXPECT_EQ(sink.append(empty), 0u);
    std::istringstream failed("abc");
    failed.setstate(std::ios::failbit);
    EXPECT_EQ(sink.append(failed), 0u);
    Filter pass(&sink);
    EXPECT_EQ(pass.process(failed), 0u);
    EXPECT_TRUE(sink.calls.empty());

    // A whole number of blocks ends with an empty read, which no sink sees.
    std::istringstream exact(std::string(4096, 'y'));
    EXPECT_EQ(sink.append(exact), 4096u);
    EXPECT_EQ(sizesOf(sink), (std::vector<size_t>{4096}));
}

TEST(ChainTest, FilterPassesChunksAndFlagsOnAndReportsWhatTheSinkTook)
{
    Recorder sink;
    Filter pass(&sink);
    EXPECT_EQ(pass.process("abc", true), 3u);
    EXPECT_EQ(pass.append("de", 2, false), 2u);
    EXPECT_EQ(pass.append(std::string("fgh")), 3u);
    EXPECT_EQ(pass.append('i'), 1u);
    EXPECT_EQ(pass.process(std::string("jk")), 2u);
    ASSERT_EQ(sink.calls.size(), 5u);
    EXPECT_EQ(sink.calls[0].bytes, "abc");
    EXPECT_TRUE(sink.calls[0].final);
    EXPECT_FALSE(sink.calls[1].final);
    EXPECT_FALSE(sink.calls[2].final);
    EXPECT_EQ(sink.calls[3].bytes, "i");
    EXPECT_EQ(pass.flush(), 0u);
    EXPECT_EQ(sink.flushes, 1);
}

TEST(ChainTest, StringAppendsAndCountsEverything)
{
    std::string target = "<";
    String sink(&target);
    EXPECT_EQ(sink.append("abc", 3, true), 3u);
    EXPECT_EQ(sink.append(std::string("\0d", 2)), 2u);
    EXPECT_EQ(sink.flush(), 0u);
    EXPECT_EQ(target, std::string("<abc\0d", 6));
}

TEST(ChainTest, MemoryBorrowsFinalBytesAndGrowsAContiguousChunk)
{
    static const std::string text(200, 'b');
    Memory memory;
    EXPECT_EQ(memory.append(text.data(), 100, true), 100u);
    ASSERT_EQ(memory.chunks().size(), 1u);
    EXPECT_EQ(memory.chunks()[0].capacity, 0u);
    EXPECT_EQ(memory.chunks()[0].data, text.data());

    memory.append(text.data() + 100, 100, true);
    ASSERT_EQ(memory.chunks().size(), 1u);
    EXPECT_EQ(memory.chunks()[0].used, 200u);
    EXPECT_EQ(memory.buffer(), text);
    EXPECT_EQ(memory.size(), 200u);

    // A final piece that does not continue the borrowed one is a new chunk;
    // one that is not final is copied.
    memory.append("xy", 2, true);
    memory.append("z", 1, false);
    ASSERT_EQ(memory.chunks().size(), 3u);
    EXPECT_EQ(memory.chunks()[2].capacity, 512u);
    EXPECT_EQ(memory.buffer(), text + "xyz");
}

TEST(ChainTest, MemoryCopiesSmallPiecesIntoOwnedChunksUntilFull)
{
    Memory memory;
    std::string thousand(1000, 'a');
    memory.append(thousand.data(), thousand.size(), false);
    thousand.assign(1000, '!'); // the copy must not change
    ASSERT_EQ(memory.chunks().size(), 1u);
    EXPECT_EQ(memory.chunks()[0].capacity, 1128u);

    std::string expected(1000, 'a');
    for (int i = 0; i < 12; ++i)
    {
        memory.append("0123456789", 10, false);
        expected += "0123456789";
    }
    ASSERT_EQ(memory.chunks().size(), 1u);
    EXPECT_EQ(memory.chunks()[0].used, 1120u);
    memory.append("0123456789", 10, false);
    expected += "0123456789";
    ASSERT_EQ(memory.chunks().size(), 2u);
    EXPECT_EQ(memory.chunks()[1].capacity, 512u);
    EXPECT_EQ(memory.buffer(), expected);
}

TEST(ChainTest, MemoryKeepsLongFinalPiecesByPointerEvenWhereTheyWouldFit)
{
    static const std::string long200(200, 'L');
    static const std::string short100(100, 'S');
    Memory memory;
    memory.append("seed", 4, false);
    memory.append(long200.data(), long200.size(), true);
    ASSERT_EQ(memory.chunks().size(), 2u);
    EXPECT_EQ(memory.chunks()[1].data, long200.data());

    Memory other;
    other.append("seed", 4, false);
    other.append(short100.data(), short100.size(), true);
    ASSERT_EQ(other.chunks().size(), 1u);
    EXPECT_EQ(other.buffer(), "seed" + short100);
}

TEST(ChainTest, MemoryBufferFollowsLaterAppends)
{
    Memory memory;
    EXPECT_EQ(memory.buffer(), "");
    memory.append("ab", 2, false);
    EXPECT_EQ(memory.buffer(), "ab");
    memory.append("cd", 2, true);
    EXPECT_EQ(memory.buffer(), "abcd");
}

} // namespace
} // namespace Filter
} // namespace Kestrava
