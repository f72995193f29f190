#include "browse/file.h"

#include "browse/url.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

using Kestrava::Browse::File;
using Kestrava::Browse::Header;
using Kestrava::Browse::Url;

namespace
{

Url url(const char* text)
{
    return Url(text, strlen(text));
}

/// The members of a stored copy with these fields and body.
File::Members stored(const std::string& fields, const std::string& body = "",
                     const char* address = "http://leaf.test/d/report.pdf?x=1")
{
    std::string text = "HTTP/1.1 200 OK\r\n" + fields + "\r\n" + body;
    return File::Members(url(address), text.data(), text.size(), false);
}

std::string nameOf(const std::string& fields, const char* address = "http://leaf.test/d/file")
{
    return stored(fields, "", address).fileName;
}

} // namespace

TEST(FileTest, NamesFromDispositionTypeOrUrl)
{
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"a.txt\"\r\n"
                     "Content-Type: text/plain; name=b.txt\r\n"),
              "a.txt");
    EXPECT_EQ(nameOf("Content-Type: text/plain; name=b.txt\r\n"), "b.txt");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename*=UTF-8''%e2%82%ac%20rates.txt\r\n"),
              "\xe2\x82\xac rates.txt");
    EXPECT_EQ(nameOf("", "http://leaf.test/d/report.pdf?x=1"), "report.pdf");
    EXPECT_EQ(nameOf("", "http://leaf.test/report.pdf"), "report.pdf");
    EXPECT_EQ(nameOf("", "http://leaf.test/d/"), "");
    EXPECT_EQ(nameOf("", "http://leaf.test"), "");
    // Values that do not parse name nothing.
    EXPECT_EQ(nameOf("Content-Disposition: ;\r\nContent-Type: text\r\n"), "file");
}

TEST(FileTest, NamesNeverLeaveTheFolder)
{
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"../../etc/passwd\"\r\n"),
              "passwd");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"..\\\\..\\\\win.ini\"\r\n"),
              "win.ini");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename*=UTF-8''..%2f..%2fa%0db\r\n"),
              "ab");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename*=UTF-8''a%00%7f%1fb\r\n"), "ab");
    // A name that is no component at all: the next step names the file.
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"..\"\r\n"), "file");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"a/\"\r\n"
                     "Content-Type: text/plain; name=\".\"\r\n"),
              "file");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename*=UTF-8''.%01.\r\n"), "file");
    EXPECT_EQ(nameOf("Content-Disposition: attachment; filename=\"a..b\"\r\n"), "a..b");
    EXPECT_EQ(nameOf("", "http://leaf.test/d/.."), "");
}

TEST(FileTest, StoredCopyParsesIntoHeadTypeAndBody)
{
    std::string text = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n"
                       "X-Blank:   kept\r\n\r\n";
    text.append("body\0bytes\0", 11);
    const std::string original = text;
    auto members = std::make_shared<File::Members>(url("https://leaf.test/a/b.txt"), text.data(),
                                                   text.size(), true);
    // The caller's bytes are never written to, and not needed afterwards.
    EXPECT_EQ(text, original);
    text.assign(text.size(), '#');
    File file(members);
    EXPECT_EQ(file.contents(), original);
    EXPECT_EQ(file.body(), std::string("body\0bytes\0", 11));
    EXPECT_EQ(file.contentType(), "text/plain");
    EXPECT_EQ(file.name(), "b.txt");
    EXPECT_TRUE(file.header().secure());
    EXPECT_EQ(file.header().status(), 200);
    EXPECT_STREQ(file.header().get("x-blank"), "kept");
}

TEST(FileTest, ReceivedHeadIsWrittenBackWithoutTerminators)
{
    std::string received = "HTTP/1.0 404 Not Found\r\nA:1\r\nB: \t2 \r\nEmpty:\r\n\r\n";
    const std::string original = received;
    Header header(received.data(), received.size(), false, false);
    File::Members members(url("http://leaf.test/x"), header, true);
    EXPECT_EQ(members.contents, original);
    EXPECT_TRUE(members.header.secure());
    EXPECT_STREQ(members.header.get("b"), "2 ");

    std::string bare = "HTTP/1.1 204 No Content\r\n\r\n";
    Header bareHeader(bare.data(), bare.size(), false, false);
    EXPECT_EQ(File::Members(url("http://leaf.test/x"), bareHeader, false).contents, bare);
}

TEST(FileTest, AnnouncedLengthsReserveBoundedRoom)
{
    for (const char* length : {"-1", "2147483647", "1000000000000", "99999999999999999999999"})
    {
        std::string text = std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length + "\r\n\r\n";
        Header header(text.data(), text.size(), false, false);
        File::Members members(url("http://leaf.test/x"), header, false);
        EXPECT_LE(members.contents.capacity(), text.size() + 2 * 1024 * 1024) << length;
    }
}

TEST(FileTest, BadStoredBytesThrow)
{
    for (std::string text :
         {std::string(""), std::string("HTTP/1.1 200 OK\r\n"), std::string("garbage\r\n\r\n"),
          std::string("HTTP/1.1 200 OK\r\nA\r\n\r\n")})
        EXPECT_THROW(File::Members(url("http://leaf.test/x"), text.data(), text.size(), false),
                     std::runtime_error)
            << text;
}

TEST(FileTest, EmptyFileHasNothing)
{
    File file;
    EXPECT_TRUE(file.empty());
    EXPECT_EQ(file.contents(), "");
    EXPECT_EQ(file.body(), "");
    EXPECT_EQ(file.name(), "");
}
