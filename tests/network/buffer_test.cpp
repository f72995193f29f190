#include "network/buffer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

using Kestrava::Network::Buffer;

namespace
{

/// (length, capacity) of every block, in order.
std::vector<std::pair<size_t, size_t>> layout(const Buffer& buffer)
{
    std::vector<std::pair<size_t, size_t>> blocks;
    for (const Buffer::Block& block : buffer.blocks())
        blocks.emplace_back(block.length(), block.capacity());
    return blocks;
}

std::string contents(const Buffer& buffer)
{
    std::string text(buffer.size(), '\0');
    buffer.copyto(&text[0], 0, 0);
    return text;
}

using Layout = std::vector<std::pair<size_t, size_t>>;

} // namespace

TEST(BufferTest, LargeRunGetsOwnBlockAndRaisesBlockSize)
{
    Buffer buffer;
    buffer.append(std::string(5000, 'a').data(), 5000);
    EXPECT_EQ(layout(buffer), (Layout{{5000, 5000}}));
    EXPECT_EQ(buffer.blockSize(), 2500u);

    buffer.append(std::string(100, 'b').data(), 100);
    EXPECT_EQ(layout(buffer), (Layout{{5000, 5000}, {100, 2500}}));
}

TEST(BufferTest, SmallRunsShareOneBlock)
{
    Buffer buffer;
    buffer.append(std::string(100, 'a').data(), 100);
    buffer.append(std::string(900, 'b').data(), 900);
    EXPECT_EQ(layout(buffer), (Layout{{1000, 1024}}));
    EXPECT_EQ(contents(buffer), std::string(100, 'a') + std::string(900, 'b'));
}

TEST(BufferTest, FindsTextAcrossBlockBoundary)
{
    Buffer buffer;
    std::string head(1022, 'x');
    buffer.append(head.data(), head.size());
    buffer.append("\r\n\r\nbody", 8);
    ASSERT_EQ(buffer.blocks().size(), 2u);
    EXPECT_EQ(buffer.find("\r\n\r\n", 0, 4), 1022u);
    EXPECT_EQ(buffer.find("\r\n\r\n", 1023, 4), Buffer::npos);
    EXPECT_EQ(buffer.find('b', 0), 1026u);
    EXPECT_EQ(buffer.find('z', 0), Buffer::npos);
}

TEST(BufferTest, CopiesToTheEndOrNothing)
{
    Buffer buffer;
    buffer.append("hello world", 11);
    char copy[16] = {};
    EXPECT_EQ(buffer.copyto(copy, 6, 0), 5u);
    EXPECT_EQ(std::string(copy, 5), "world");
    EXPECT_EQ(buffer.copyto(copy, 11, 0), 0u);
    EXPECT_EQ(buffer.copyto(copy, 6, 100), 5u);
}

TEST(BufferTest, ShrinkOfAllKeepsRoomWithinLimit)
{
    Buffer buffer;
    std::string data(3000, 'a');
    for (int i = 0; i < 10; ++i)
        buffer.append(data.data(), data.size());
    buffer.shrink(buffer.size());
    EXPECT_EQ(buffer.size(), 0u);
    ASSERT_FALSE(buffer.blocks().empty());
    size_t room = 0;
    for (const Buffer::Block& block : buffer.blocks())
    {
        EXPECT_EQ(block.length(), 0u);
        room += block.capacity();
    }
    // The first block alone may exceed the limit; every further one must fit.
    EXPECT_LE(room - buffer.blocks().front().capacity(), 4096u);
    EXPECT_TRUE(buffer.trailingempty() <= 4096u || buffer.blocks().size() == 1);

    buffer.append("again", 5);
    EXPECT_EQ(contents(buffer), "again");
}

TEST(BufferTest, ContiguousRunOnlyWhenDataReachesIt)
{
    Buffer buffer;
    for (int i = 0; i < 5; ++i)
    {
        std::string piece(1000, static_cast<char>('a' + i));
        buffer.append(piece.data(), piece.size());
    }
    ASSERT_GT(buffer.blocks().size(), 1u);
    EXPECT_EQ(buffer.buffer(0, 5001), nullptr);
    EXPECT_EQ(buffer.buffer(4000, 1001), nullptr);

    char* run = buffer.buffer(500, 4000);
    ASSERT_NE(run, nullptr);
    std::string expected = contents(buffer).substr(500, 4000);
    EXPECT_EQ(std::string(run, 4000), expected);
    EXPECT_EQ(buffer.size(), 5000u);

    buffer.append("tail", 4);
    EXPECT_EQ(contents(buffer).substr(5000), "tail");
}

TEST(BufferTest, ShortReadLeavesExactlyTheBytesRead)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "12345", 5), 5);

    Buffer buffer;
    buffer.append("ab", 2);
    EXPECT_EQ(buffer.readfrom(fds[0], 100000), 5);
    EXPECT_EQ(buffer.size(), 7u);
    EXPECT_EQ(contents(buffer), "ab12345");

    close(fds[1]);
    EXPECT_EQ(buffer.readfrom(fds[0], 4096), 0);
    EXPECT_EQ(contents(buffer), "ab12345");
    close(fds[0]);

    EXPECT_LT(buffer.readfrom(-1, 4096), 0);
    EXPECT_EQ(contents(buffer), "ab12345");
}

TEST(BufferTest, SwapExchangesEverything)
{
    Buffer first, second;
    first.append("first", 5);
    std::string large(5000, 'l');
    second.append(large.data(), large.size());

    first.swap(second);
    EXPECT_EQ(contents(first), large);
    EXPECT_EQ(contents(second), "first");
    first.append("!", 1);
    second.append("!", 1);
    EXPECT_EQ(contents(first), large + "!");
    EXPECT_EQ(contents(second), "first!");
}
