#include "openssl/base64.h"

#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <string>

using Kestrava::OpenSSL::Base64;
using Kestrava::OpenSSL::Test::Scratch;

namespace
{

/// What `openssl base64` makes of `data` (with -A: one line).
std::string commandLine(const std::string& data, bool newlines)
{
    Scratch scratch;
    scratch.write("input", data);
    return Kestrava::OpenSSL::Test::openssl(std::string("base64") + (newlines ? "" : " -A") +
                                            " -in " + scratch.path("input"));
}

std::string bytes(size_t size)
{
    std::string data;
    for (size_t index = 0; index < size; ++index)
        data += static_cast<char>(index * 7 + 3);
    return data;
}

} // namespace

TEST(Base64Test, BreaksLinesLikeTheCommandLine)
{
    for (size_t size : {1u, 2u, 3u, 47u, 48u, 49u, 200u})
    {
        std::string data = bytes(size);
        std::string text = Base64::encode(data.data(), data.size(), true);
        EXPECT_EQ(text, commandLine(data, true)) << size;
        EXPECT_EQ(text.back(), '\n') << size;
    }
}

TEST(Base64Test, WritesOneLineWithoutNewlines)
{
    for (size_t size : {1u, 48u, 49u, 1000u})
    {
        std::string data = bytes(size);
        std::string text = Base64::encode(data.data(), data.size(), false);
        EXPECT_EQ(text.find('\n'), std::string::npos) << size;
        EXPECT_EQ(text, commandLine(data, false)) << size;
    }
    EXPECT_EQ(Base64::encode("abc", 3, false), "YWJj");
}

TEST(Base64Test, EmptyInputGivesEmptyText)
{
    EXPECT_EQ(Base64::encode("", 0, true), "");
    EXPECT_EQ(Base64::encode(nullptr, 0, false), "");
}
