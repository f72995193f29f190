#include "network/buffer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using Kestrava::Network::Buffer;

namespace
{

/// Runs random operations on a Buffer and on a std::string that models it,
/// comparing both after every step.
class ModelRun
{
public:
    explicit ModelRun(unsigned seed) : _random(seed) {}

    void step()
    {
        int which = pick(0, 12);
        int side = pick(0, 9) == 0 ? 1 : 0; // mostly the first pair
        Buffer& buffer = side == 0 ? _buffer : _other;
        std::string& model = side == 0 ? _model : _otherModel;
        switch (which)
        {
        case 0:
            appendBytes(buffer, model);
            break;
        case 1:
            appendVectors(buffer, model);
            break;
        case 2:
            reserveContiguous(buffer, model);
            break;
        case 3:
            reserveScattered(buffer, model);
            break;
        case 4:
            release(buffer, model);
            break;
        case 5:
        case 6:
            shrink(buffer, model);
            break;
        case 7:
            contiguous(buffer, model);
            break;
        case 8:
            findText(buffer, model);
            break;
        case 9:
            findChar(buffer, model);
            break;
        case 10:
            copyVectors(buffer, model);
            break;
        case 11:
            copyBytes(buffer, model);
            break;
        case 12:
            _buffer.swap(_other);
            _model.swap(_otherModel);
            break;
        }
        compare(_buffer, _model);
        compare(_other, _otherModel);
    }

private:
    size_t pick(size_t low, size_t high)
    {
        return std::uniform_int_distribution<size_t>(low, high)(_random);
    }

    /// Mostly small lengths, sometimes larger than a block.
    size_t length() { return pick(0, 3) == 0 ? pick(0, 9000) : pick(0, 300); }

    std::string bytes(size_t n)
    {
        std::string text(n, '\0');
        for (char& c : text)
            c = static_cast<char>('a' + pick(0, 3)); // few letters: finds hit
        return text;
    }

    void appendBytes(Buffer& buffer, std::string& model)
    {
        std::string text = bytes(length());
        ASSERT_EQ(buffer.append(text.data(), text.size()), text.size());
        model += text;
    }

    void appendVectors(Buffer& buffer, std::string& model)
    {
        std::vector<std::string> pieces(pick(0, 5));
        std::vector<iovec> vectors;
        std::string all;
        for (std::string& piece : pieces)
        {
            piece = bytes(length());
            vectors.push_back({&piece[0], piece.size()});
            all += piece;
        }
        size_t skip = pick(0, all.size() + 10);
        size_t expected = skip < all.size() ? all.size() - skip : 0;
        ASSERT_EQ(buffer.append(vectors.data(), vectors.size(), skip), expected);
        if (skip < all.size()) model += all.substr(skip);
    }

    void reserveContiguous(Buffer& buffer, std::string& model)
    {
        std::string text = bytes(length());
        char* room = buffer.reserve(text.size());
        ASSERT_NE(room, nullptr);
        EXPECT_EQ(std::string(room, text.size()), std::string(text.size(), '\0'));
        text.copy(room, text.size());
        model += text;
    }

    void reserveScattered(Buffer& buffer, std::string& model)
    {
        iovec vectors[8];
        size_t max = pick(0, 8);
        size_t pairs = buffer.reserve(vectors, max, length());
        ASSERT_LE(pairs, max);
        for (size_t i = 0; i < pairs; ++i)
        {
            std::string text = bytes(vectors[i].iov_len);
            text.copy(static_cast<char*>(vectors[i].iov_base), text.size());
            model += text;
        }
    }

    void release(Buffer& buffer, std::string& model)
    {
        size_t n = pick(0, model.size() + 5);
        buffer.release(n);
        model.erase(n >= model.size() ? 0 : model.size() - n);
    }

    void shrink(Buffer& buffer, std::string& model)
    {
        size_t n = pick(0, model.size() + 5);
        buffer.shrink(n);
        model.erase(0, n);
    }

    void contiguous(Buffer& buffer, std::string& model)
    {
        size_t from = pick(0, model.size() + 2);
        size_t n = pick(0, model.size() + 2);
        char* run = buffer.buffer(from, n);
        if (from >= model.size() || n > model.size() - from)
            EXPECT_EQ(run, nullptr);
        else
            ASSERT_EQ(std::string(run, n), model.substr(from, n)) << from << "+" << n;
    }

    void findText(Buffer& buffer, std::string& model)
    {
        std::string text = bytes(pick(1, 5));
        if (!model.empty() && pick(0, 1) == 0)
        {
            size_t at = pick(0, model.size() - 1);
            text = model.substr(at, pick(1, 6));
        }
        size_t from = pick(0, model.size() + 2);
        size_t expected = model.find(text, from);
        EXPECT_EQ(buffer.find(text.data(), from, text.size()),
                  expected == std::string::npos ? Buffer::npos : expected);
    }

    void findChar(Buffer& buffer, std::string& model)
    {
        char c = static_cast<char>('a' + pick(0, 4));
        size_t from = pick(0, model.size() + 2);
        size_t expected = model.find(c, from);
        EXPECT_EQ(buffer.find(c, from), expected == std::string::npos ? Buffer::npos : expected);
    }

    void copyBytes(Buffer& buffer, std::string& model)
    {
        size_t from = pick(0, model.size() + 2);
        size_t n = pick(0, model.size() + 2);
        std::string copy(model.size() + 2, '\0');
        size_t copied = buffer.copyto(&copy[0], from, n);
        std::string expected =
            from < model.size() ? model.substr(from, n == 0 ? std::string::npos : n) : "";
        EXPECT_EQ(copy.substr(0, copied), expected);
    }

    void copyVectors(Buffer& buffer, std::string& model)
    {
        size_t from = pick(0, model.size() + 2);
        size_t n = pick(0, model.size() + 2);
        iovec vectors[64];
        size_t pairs = buffer.copyto(vectors, 64, from, n);
        std::string gathered;
        for (size_t i = 0; i < pairs; ++i)
            gathered.append(static_cast<char*>(vectors[i].iov_base), vectors[i].iov_len);
        std::string expected =
            from < model.size() ? model.substr(from, n == 0 ? std::string::npos : n) : "";
        EXPECT_EQ(gathered, expected);
    }

    void compare(const Buffer& buffer, const std::string& model)
    {
        ASSERT_EQ(buffer.size(), model.size());
        std::string copy(model.size(), '\0');
        ASSERT_EQ(buffer.copyto(&copy[0], 0, 0), model.size());
        ASSERT_EQ(copy, model);
        size_t stored = 0;
        for (const Buffer::Block& block : buffer.blocks())
        {
            ASSERT_LE(block.length(), block.capacity());
            stored += block.length();
        }
        ASSERT_GE(stored, model.size());
    }

    std::mt19937 _random;
    Buffer _buffer, _other;
    std::string _model, _otherModel;
};

unsigned seedOfRun()
{
    const char* given = std::getenv("BUFFER_MODEL_SEED");
    if (given != nullptr) return static_cast<unsigned>(std::strtoul(given, nullptr, 10));
    return static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
}

} // namespace

TEST(BufferModelTest, RandomOperationsMatchStringModel)
{
    for (int run = 0; run < 20; ++run)
    {
        unsigned seed = seedOfRun() + run;
        SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with BUFFER_MODEL_SEED)");
        ModelRun model(seed);
        for (int step = 0; step < 2000 && !testing::Test::HasFailure(); ++step)
            model.step();
        if (testing::Test::HasFailure()) return;
    }
}
