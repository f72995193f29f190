#include "browse/url.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using Kestrava::Browse::Url;

namespace
{
Url url(const char* text)
{
    return Url(text, strlen(text));
}
} // namespace

TEST(UrlQueryTest, AddsParametersAfterPathOrQuery)
{
    Url target = url("http://h");
    target.add("a", "b");
    EXPECT_EQ(target.text(), "http://h/?a=b");
    EXPECT_STREQ(target.path(), "/?a=b");
    target.add("c d", "/");
    EXPECT_EQ(target.text(), "http://h/?a=b&c+d=%2f");
    EXPECT_STREQ(target.hostname().ascii(), "h");

    Url withPath = url("https://h:8443/x/y");
    withPath.add("k", "");
    EXPECT_EQ(withPath.text(), "https://h:8443/x/y?k=");
    EXPECT_EQ(withPath.port(), 8443u);
}

TEST(UrlQueryTest, EncodesFormStyle)
{
    Url target = url("http://h/?");
    const char bytes[] = "Az09-._~ +&=\xc3\x00";
    target.encode(bytes, sizeof bytes - 1);
    EXPECT_EQ(target.text(), "http://h/?Az09-._~+%2b%26%3d%c3%00");
    EXPECT_STREQ(target.path(), "/?Az09-._~+%2b%26%3d%c3%00");

    // Long enough that the text moves: the parts follow it.
    Url grown = url("http://h/p");
    std::string value(5000, '/');
    grown.add("v", value.c_str());
    EXPECT_EQ(strlen(grown.path()), grown.text().size() - strlen("http://h"));
}
