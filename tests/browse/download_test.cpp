#include "browse/blockingfile.h"
#include "browse/context.h"
#include "browse/download.h"
#include "browse/file.h"
#include "browse/postdata.h"
#include "tests/browse/downloadfixture.h"
#include "tests/browse/endpoint.h"
#include "tests/browse/recorder.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <ev.h>

#include <cstring>
#include <filesystem>
#include <string>

using Kestrava::Browse::File;
using Kestrava::Browse::PostData;
using Kestrava::Browse::Url;
using Testing::DownloadRecorder;
using Testing::DownloadTest;
using Port = DownloadTest::Port;

namespace
{

/// The request line of a logged request.
std::string requestLine(const std::string& request)
{
    return request.substr(0, request.find("\r\n"));
}

/// Whether a logged request has the header line `line` (any case).
bool hasLine(const std::string& request, const std::string& line)
{
    std::string head = request.substr(0, request.find("\r\n\r\n") + 2);
    std::string lower;
    for (char c : head)
        lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::string wanted;
    for (char c : line)
        wanted += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower.find("\r\n" + wanted + "\r\n") != std::string::npos;
}

/// A stored copy of a response with these fields and body.
std::string copy(const std::string& fields, const std::string& body)
{
    return "HTTP/1.1 200 OK\r\n" + fields + "\r\n" + body;
}

std::string httpDate(int64_t seconds)
{
    time_t time = static_cast<time_t>(seconds);
    tm broken{};
    gmtime_r(&time, &broken);
    char text[64];
    strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &broken);
    return text;
}

} // namespace

TEST_F(DownloadTest, GetDeliversHeadBodyTypeAndName)
{
    Url target = url("leaf.test", Port::plain, "/d/report.pdf",
                     {{"header", "Content-Type:text/plain; charset=utf-8"}, {"body", "hello"}});
    // Through the context with its cache, and blocking without one.
    auto result = download(target);
    ASSERT_EQ(result->failure, "");
    for (const File& file : {result->file, File(target)})
    {
        EXPECT_EQ(file.header().status(), 200);
        EXPECT_EQ(file.body(), "hello");
        EXPECT_EQ(file.contentType(), "text/plain");
        EXPECT_EQ(file.name(), "report.pdf");
        EXPECT_FALSE(file.header().secure());
        EXPECT_EQ(file.contents().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        EXPECT_NE(file.contents().find("\r\nContent-Type: text/plain; charset=utf-8\r\n"),
                  std::string::npos);
        EXPECT_EQ(file.contents().find('\0'), std::string::npos);
        EXPECT_EQ(file.contents().size(), file.header().size() + 5);
    }
}

TEST_F(DownloadTest, FollowsRelativeAbsoluteAndCrossHostLocations)
{
    Url second = url("second.test", Port::tls, "/end");
    struct Case
    {
        std::string location;
        std::string path;
        std::string host;
    } cases[] = {{"next", "/a/next", "leaf.test"},
                 {"/b", "/b", "leaf.test"},
                 {second.text(), "/end", "second.test"}};
    for (const Case& test : cases)
    {
        size_t before = requests().size();
        auto result = download(url("leaf.test", Port::tls, "/a/start",
                                   {{"status", "301"}, {"header", "Location:" + test.location}}));
        ASSERT_EQ(result->failure, "") << test.location;
        std::vector<std::string> logged = requests();
        ASSERT_EQ(logged.size(), before + 2);
        EXPECT_EQ(requestLine(logged.back()), "GET " + test.path + " HTTP/1.1");
        EXPECT_TRUE(
            hasLine(logged.back(), "host: " + test.host + ":" + std::to_string(second.port())));
        EXPECT_EQ(result->file.body(), "body of " + test.path);
        // Every hop came over HTTPS with a certificate that passed.
        EXPECT_TRUE(result->file.header().secure()) << test.location;
    }
}

TEST_F(DownloadTest, RedirectsBeyondTheLimitFail)
{
    auto result = download(url("leaf.test", Port::plain, "/loop", {{"chain", "3"}}), 2);
    EXPECT_EQ(result->code, 302);
    EXPECT_EQ(result->failure, "download failed");
    EXPECT_EQ(requests().size(), 3u);

    auto enough = download(url("leaf.test", Port::plain, "/loop", {{"chain", "2"}}), 2);
    EXPECT_EQ(enough->failure, "");
    EXPECT_EQ(enough->file.header().status(), 200);
}

TEST_F(DownloadTest, LocationThatIsNoUrlFails)
{
    // An empty one is none at all: the 3xx is the answer, not a way back
    // to the same URL.
    for (const char* location :
         {"http://bad host/", "https://a..b/x", "//bad host/", "///x", "http://:80/x", "", " \t "})
    {
        size_t before = requests().size();
        auto result =
            download(url("leaf.test", Port::plain, "/x",
                         {{"status", "302"}, {"header", std::string("Location:") + location}}));
        EXPECT_EQ(result->code, 302) << location;
        EXPECT_EQ(result->failure, "download failed") << location;
        EXPECT_EQ(requests().size(), before + 1) << location;
    }
}

TEST_F(DownloadTest, SecureOnlyWhenEveryHopPassedItsCheck)
{
    std::string end = url("second.test", Port::tls, "/end", {{"etag", "\"e\""}}).text();
    auto direct = download(url("leaf.test", Port::tls, "/direct"));
    EXPECT_TRUE(direct->file.header().secure());

    for (Port first : {Port::plain, Port::rogue})
    {
        auto result = download(
            url("leaf.test", first, "/start", {{"status", "302"}, {"header", "Location:" + end}}));
        ASSERT_EQ(result->failure, "");
        EXPECT_EQ(result->file.body(), "body of /end?etag=%22e%22");
        EXPECT_FALSE(result->file.header().secure());
    }

    // A certificate that fails: delivered, never stored.
    cache.stores.clear();
    auto rogue = download(url("leaf.test", Port::rogue, "/rogue", {{"etag", "\"r\""}}));
    EXPECT_EQ(rogue->failure, "");
    EXPECT_FALSE(rogue->file.header().secure());
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    EXPECT_TRUE(cache.stores.empty());
}

TEST_F(DownloadTest, PostSendsTypeLengthAndExactBodyAndIsNeverCached)
{
    std::string body(1024 * 1024, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>((i * 7919) >> 3);
    DownloadRecorder recorder;
    context->download(url("leaf.test", Port::plain, "/upload", {{"header", "ETag:\"p\""}}),
                      PostData(body, "application/octet-stream"), &recorder, 5);
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return recorder.reports > 0; }));
    ASSERT_EQ(recorder.failure, "");
    std::string request = requests().back();
    EXPECT_EQ(requestLine(request), "POST /upload?header=ETag%3a%22p%22 HTTP/1.1");
    EXPECT_TRUE(hasLine(request, "content-type: application/octet-stream"));
    EXPECT_TRUE(hasLine(request, "content-length: 1048576"));
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), body);
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    EXPECT_TRUE(cache.fetches.empty());
    EXPECT_TRUE(cache.stores.empty());
}

TEST_F(DownloadTest, PostRedirectsKeepOrDropTheBody)
{
    for (const char* status : {"307", "308", "301", "302", "303"})
    {
        bool keeps = status[1] == '0' && status[2] >= '7';
        DownloadRecorder recorder;
        context->download(url("leaf.test", Port::plain, "/form",
                              {{"status", status}, {"header", "Location:/done"}}),
                          PostData("a=1", "application/x-www-form-urlencoded"), &recorder, 5);
        ASSERT_TRUE(Testing::runUntil(loop, [&] { return recorder.reports > 0; }));
        ASSERT_EQ(recorder.failure, "") << status;
        std::string request = requests().back();
        EXPECT_EQ(requestLine(request), keeps ? "POST /done HTTP/1.1" : "GET /done HTTP/1.1")
            << status;
        EXPECT_EQ(hasLine(request, "content-type: application/x-www-form-urlencoded"), keeps);
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), keeps ? "a=1" : "");
    }
    // Only the GETs that followed ask the cache.
    EXPECT_EQ(cache.fetches.size(), 3u);
}

TEST_F(DownloadTest, StoresWhatTheHeadAllows)
{
    int64_t now = static_cast<int64_t>(ev_time());
    struct Case
    {
        std::string field;
        int64_t lifetime; // -2: not stored
    } cases[] = {{"ETag:\"a\"", 31536000},
                 {"Cache-Control:private, max-age=60", -2},
                 {"Cache-Control:max-age=0", -2},
                 {"Cache-Control:s-maxage=0, max-age=60", 60},
                 {"Expires:" + httpDate(now + 30), 30},
                 {"Expires:" + httpDate(now - 30), -2}};
    int index = 0;
    for (const Case& test : cases)
    {
        cache.stores.clear();
        Url target =
            url("leaf.test", Port::plain, "/s" + std::to_string(index++), {{"header", test.field}});
        auto result = download(target);
        ASSERT_EQ(result->failure, "") << test.field;
        if (test.lifetime == -2)
        {
            EXPECT_TRUE(cache.stores.empty()) << test.field;
            continue;
        }
        ASSERT_EQ(cache.stores.size(), 1u) << test.field;
        EXPECT_EQ(cache.stores[0].key, target.text());
        EXPECT_EQ(cache.stores[0].data, result->file.contents());
        if (test.lifetime == 30)
        {
            EXPECT_LE(cache.stores[0].lifetime, 30);
            EXPECT_GE(cache.stores[0].lifetime, 27);
        }
        else
            EXPECT_EQ(cache.stores[0].lifetime, test.lifetime) << test.field;
    }
}

TEST_F(DownloadTest, FreshCopyComesWithoutRequest)
{
    for (bool later : {false, true})
    {
        cache.later = later;
        Url target = url("leaf.test", Port::plain, later ? "/later" : "/now");
        cache.entries[target.text()] = copy(
            "Cache-Control: max-age=600\r\nDate: " + httpDate(static_cast<int64_t>(ev_time())) +
                "\r\nContent-Type: text/html\r\n",
            "cached");
        auto result = download(target);
        ASSERT_EQ(result->failure, "");
        EXPECT_EQ(result->file.body(), "cached");
        EXPECT_EQ(result->file.contentType(), "text/html");
        EXPECT_FALSE(result->file.header().secure());
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(DownloadTest, StaleCopyIsRevalidatedByItsEntityTag)
{
    for (bool later : {false, true})
    {
        cache.later = later;
        cache.stores.clear();
        Url target = url("leaf.test", Port::tls, later ? "/later" : "/now", {{"etag", "\"v1\""}});
        std::string stored = copy("ETag: \"v1\"\r\nContent-Type: text/html\r\n", "old body");
        cache.entries[target.text()] = stored;
        size_t before = requests().size();
        auto result = download(target);
        ASSERT_EQ(result->failure, "");
        EXPECT_EQ(result->file.body(), "old body");
        EXPECT_TRUE(result->file.header().secure());
        ASSERT_EQ(requests().size(), before + 1);
        EXPECT_TRUE(hasLine(requests().back(), "if-none-match: \"v1\""));
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
        ASSERT_EQ(cache.stores.size(), 1u);
        EXPECT_EQ(cache.stores[0].data, stored);
        EXPECT_EQ(cache.stores[0].lifetime, 31536000);
    }

    // A copy whose validator the server no longer knows is replaced.
    Url changed = url("leaf.test", Port::plain, "/changed", {{"etag", "\"v2\""}, {"body", "new"}});
    cache.entries[changed.text()] = copy("ETag: \"v1\"\r\n", "old body");
    auto result = download(changed);
    EXPECT_EQ(result->file.body(), "new");
}

TEST_F(DownloadTest, UnreadableCopyFallsBackToAFetch)
{
    Url target = url("leaf.test", Port::plain, "/broken");
    cache.entries[target.text()] = std::string("HTTP/1.1 200 OK\r\nno colon\r\n\r\n\0", 31);
    auto result = download(target);
    ASSERT_EQ(result->failure, "");
    EXPECT_EQ(result->file.body(), "body of /broken");
    EXPECT_EQ(requests().size(), 1u);
}

TEST_F(DownloadTest, CutBodyIsLostAndNeverStored)
{
    auto result = download(url("leaf.test", Port::plain, "/cut",
                               {{"size", "1000"}, {"cut", "500"}, {"header", "ETag:\"c\""}}));
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(result->failure, "connection lost");
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    EXPECT_TRUE(cache.stores.empty());
    EXPECT_EQ(
        Testing::failureOf(
            [&] {
                File(url("leaf.test", Port::plain, "/cut", {{"size", "1000"}, {"cut", "500"}}));
            }),
        "connection lost");
}

TEST_F(DownloadTest, InterimHeadIsSkipped)
{
    auto result =
        download(url("leaf.test", Port::plain, "/c", {{"continue", "1"}, {"body", "fine"}}));
    ASSERT_EQ(result->failure, "");
    EXPECT_EQ(result->file.header().status(), 200);
    EXPECT_EQ(result->file.body(), "fine");
}

TEST_F(DownloadTest, FailuresAreReportedOnce)
{
    auto missing = download(url("leaf.test", Port::plain, "/m", {{"status", "404"}}));
    EXPECT_EQ(missing->code, 404);
    EXPECT_EQ(missing->failure, "download failed");

    auto lookup = download(Url("http://nowhere.test/", 20));
    EXPECT_EQ(lookup->code, 0);
    EXPECT_EQ(lookup->failure, "IP lookup error");

    context->timeout(1.0);
    auto silent = download(url("leaf.test", Port::plain, "/s", {{"stall", "1"}}));
    EXPECT_EQ(silent->code, 0);
    EXPECT_EQ(silent->failure, "connection timed out");

    auto refused = download(Url("http://127.0.0.1:1/", 19));
    EXPECT_EQ(refused->failure, "Connect failure");

    // Nothing more comes later.
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    for (auto* recorder : {missing.get(), lookup.get(), silent.get(), refused.get()})
        EXPECT_EQ(recorder->reports, 1);
}

TEST_F(DownloadTest, BlockingFileSucceedsOnlyWithTheFile)
{
    File file(url("leaf.test", Port::tls, "/blocking.txt", {{"body", "done"}}));
    EXPECT_EQ(file.body(), "done");
    EXPECT_EQ(file.name(), "blocking.txt");
    EXPECT_TRUE(file.header().secure());

    File posted(url("leaf.test", Port::plain, "/p"), PostData("x=1", "text/plain"));
    EXPECT_EQ(requestLine(requests().back()), "POST /p HTTP/1.1");

    using Testing::failureOf;
    EXPECT_EQ(failureOf([] { File(Url("http://127.0.0.1:1/", 19)); }), "Connect failure");
    EXPECT_EQ(failureOf([] { File(Url("http://nowhere.test/", 20)); }), "IP lookup error");
    EXPECT_EQ(failureOf(
                  [&] {
                      File(url("leaf.test", Port::plain, "/x", {{"status", "404"}}));
                  }),
              "download failed");
    EXPECT_EQ(failureOf([] { File(Url("ftp://leaf.test/", 16)); }), "Protocol not supported");
}

namespace
{
/// A download whose connection reports can be given by hand.
class ClosedDownload : public Kestrava::Browse::Download
{
public:
    using Download::Download;
    using Download::onClosed;
};
} // namespace

TEST_F(DownloadTest, CloseBeforeTheAnswerIsALostConnection)
{
    DownloadRecorder recorder;
    auto* download = new ClosedDownload(context.get(), url("leaf.test", Port::plain, "/"),
                                        &recorder, 0, nullptr, true);
    download->onClosed(nullptr);
    EXPECT_EQ(recorder.reports, 1);
    EXPECT_EQ(recorder.code, 0);
    EXPECT_EQ(recorder.failure, "connection lost");
}

TEST_F(DownloadTest, UnverifiedConfirmationLeavesTheCopyInsecure)
{
    Url target = url("leaf.test", Port::rogue, "/copy", {{"etag", "\"v1\""}});
    cache.entries[target.text()] = copy("ETag: \"v1\"\r\n", "old body");
    auto result = download(target);
    ASSERT_EQ(result->failure, "");
    EXPECT_EQ(result->file.body(), "old body");
    EXPECT_FALSE(result->file.header().secure());
    EXPECT_TRUE(hasLine(requests().back(), "if-none-match: \"v1\""));
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    EXPECT_TRUE(cache.stores.empty());
}

TEST_F(DownloadTest, CacheAnswerAfterTheContextIsGoneTouchesNothing)
{
    cache.later = true;
    Url stale = url("leaf.test", Port::plain, "/stale");
    cache.entries[stale.text()] = copy("ETag: \"v\"\r\n", "old");
    std::vector<std::unique_ptr<DownloadRecorder>> recorders;
    for (const Url& target : {stale, url("leaf.test", Port::plain, "/absent")})
    {
        recorders.push_back(std::make_unique<DownloadRecorder>());
        context->download(target, recorders.back().get(), 5);
    }
    context.reset();
    // The cache answers now, found and not found, to downloads whose
    // context is gone.
    Testing::runUntil(
        loop, [] { return false; }, 0.3);
    for (const auto& recorder : recorders)
    {
        EXPECT_EQ(recorder->reports, 1);
        EXPECT_EQ(recorder->failure, "operation cancelled");
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(DownloadTest, BodyBeyondTheLimitFailsAndClosesTheConnection)
{
    context->bodyLimit(1000);
    struct Case
    {
        const char* option;
        const char* value;
        const char* failure;
    } cases[] = {{"size", "1000", ""},
                 {"size", "1001", "download too large"},  // announced
                 {"endless", "1", "download too large"}}; // read until the close
    for (const Case& test : cases)
    {
        auto result = download(url("leaf.test", Port::plain, "/big", {{test.option, test.value}}));
        EXPECT_EQ(result->failure, test.failure) << test.option << " " << test.value;
        EXPECT_EQ(result->file.body().size(), *test.failure != '\0' ? 0u : 1000u);
        // The connection does not go on reading what is not wanted.
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    }
}

TEST_F(DownloadTest, RequestLinesCarryNoRawControlBytesOrBlanks)
{
    // Blanks, control bytes and bytes outside ASCII go out percent-encoded.
    auto direct = download(url("leaf.test", Port::plain, "/a b/caf\xc3\xa9\t?q=1 2"));
    EXPECT_EQ(direct->failure, "");
    EXPECT_EQ(requestLine(requests().back()), "GET /a%20b/caf%C3%A9%09?q=1%202 HTTP/1.1");
    // Nor dot segments, which only the query keeps.
    auto dots = download(url("leaf.test", Port::plain, "/a/../../b/./c?x=/../y"));
    EXPECT_EQ(dots->failure, "");
    EXPECT_EQ(requestLine(requests().back()), "GET /b/c?x=/../y HTTP/1.1");

    // A location holding a CR is not followed: the head is refused.
    size_t before = requests().size();
    auto injected = download(url("leaf.test", Port::plain, "/i",
                                 {{"status", "302"}, {"header", "Location:/t\rX-Injected: yes"}}));
    EXPECT_EQ(injected->code, 0);
    EXPECT_EQ(injected->failure, "connection lost");
    EXPECT_EQ(requests().size(), before + 1);
}

TEST_F(DownloadTest, HostileAnswersEndAlikeForHandlerAndDownload)
{
    // One request at a time: the second waits for the first's connection,
    // which is where bytes left after an answer would be taken for its own.
    context->hostLimit(1);
    using namespace std::string_literals;
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string empty = ok + "Content-Length: 0\r\n\r\n";
    struct Case
    {
        std::string answer;
        /// The handler's reports after "available", and its body.
        std::vector<std::string> events;
        std::string body;
        /// The download's failure (empty: the file has `body`) and code.
        std::string failure;
        int code;
        Port port = Port::plain;
        /// Bytes written after the answer, apart but in the same segment.
        std::string behind = "";
    } cases[] = {
        // Bytes after a complete answer belong to no request.
        {"HTTP/1.1 500 No\r\nContent-Length: 0\r\n\r\n" + empty,
         {"head 500", "completed"},
         "",
         "download failed",
         500},
        {ok + "Content-Length: 2\r\n\r\nok\r\n", {"head 200", "completed"}, "ok", "", 0},
        {ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n" + empty,
         {"head 200", "completed"},
         "ok",
         "",
         0},
        {"HTTP/1.1 204 No Content\r\n\r\nstray", {"head 204", "completed"}, "", "", 0},
        {"HTTP/1.1 304 Not Modified\r\nContent-Length: 5\r\n\r\nstale",
         {"head 304", "completed"},
         "",
         "download failed",
         304},
        // 101 ends HTTP on the connection; a status below 100 is none.
        {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n",
         {"head 101", "completed"},
         "",
         "download failed",
         101},
        {"HTTP/1.1 101 Switching Protocols\r\n\r\n\x01\x02" + empty,
         {"head 101", "completed"},
         "",
         "download failed",
         101},
        {"HTTP/1.1 099 Odd\r\nContent-Length: 0\r\n\r\n", {"lost"}, "", "connection lost", 0},
        {"HTTP/1.1 103 Early Hints\r\nLink: </s>\r\n\r\n" + ok + "Content-Length: 2\r\n\r\nok",
         {"head 103", "head 200", "completed"},
         "ok",
         "",
         0},
        // NUL or a bare CR in a head refuses it.
        {ok + "Content-Length: 2\0 junk\r\n\r\nok"s, {"lost"}, "", "connection lost", 0},
        {ok + "Transfer-Encoding: chunked\0, gzip\r\n\r\n2\r\nok\r\n0\r\n\r\n"s,
         {"lost"},
         "",
         "connection lost",
         0},
        {ok + "X-Note: a\rb\r\nContent-Length: 2\r\n\r\nok", {"lost"}, "", "connection lost", 0},
        {"HTTP/1.1 200 O\0K\r\nContent-Length: 2\r\n\r\nok"s, {"lost"}, "", "connection lost", 0},
        // Chunks frame the body whatever Content-Length says; a list of one
        // length is that length, of two is none.
        {ok + "Content-Length: 100\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         {"head 200", "completed"},
         "ok",
         "",
         0},
        {ok + "Content-Length: 2, 2\r\n\r\nok", {"head 200", "completed"}, "ok", "", 0},
        {ok + "Content-Length: 2, 3\r\n\r\nok", {"head 200", "lost"}, "", "connection lost", 0},
        // An answer that ends where a read from the socket (16 KiB) or from
        // a TLS record (10 KiB) stops, with more already received behind it.
        {ok + "Content-Length: 16342\r\n\r\n" + std::string(16342, 'x') + empty,
         {"head 200", "completed"},
         std::string(16342, 'x'),
         "",
         0},
        {ok + "Content-Length: 10198\r\n\r\n" + std::string(10198, 'x') + empty,
         {"head 200", "completed"},
         std::string(10198, 'x'),
         "",
         0,
         Port::tls},
        // Behind it in a TLS record of its own, received with it.
        {ok + "Content-Length: 2\r\n\r\nok",
         {"head 200", "completed"},
         "ok",
         "",
         0,
         Port::tls,
         empty},
        // Chunks frame a body that another transfer coding leaves no file.
        {ok + "Transfer-Encoding: gzip, chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         {"head 200", "completed"},
         "ok",
         "download failed",
         200},
        // A folded value is read as one.
        {ok + "Content-Length:\r\n 2\r\n\r\nok", {"head 200", "completed"}, "ok", "", 0},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(testing::PrintToString(test.answer));
        Url hostile =
            url("leaf.test", test.port, "/h", {{"raw", Testing::Endpoint::hex(test.answer)}});
        if (!test.behind.empty()) hostile.add("raw", Testing::Endpoint::hex(test.behind).c_str());
        Url next = url("leaf.test", test.port, "/n", {{"body", "next"}});

        Testing::Recorder first, second;
        first.bare = second.bare = false;
        first.path = hostile.path();
        second.path = next.path();
        context->connect(hostile, &first);
        context->connect(next, &second);
        ASSERT_TRUE(Testing::runUntil(loop, [&] { return first.finished && second.finished; }));
        std::vector<std::string> events = {"available"};
        events.insert(events.end(), test.events.begin(), test.events.end());
        EXPECT_EQ(first.events, events);
        EXPECT_EQ(first.body, test.body);
        EXPECT_EQ(second.events, (std::vector<std::string>{"available", "head 200", "completed"}));
        EXPECT_EQ(second.body, "next");

        DownloadRecorder download, after;
        context->download(hostile, &download, 0);
        context->download(next, &after, 0);
        ASSERT_TRUE(Testing::runUntil(loop, [&] { return download.reports && after.reports; }));
        EXPECT_EQ(download.failure, test.failure);
        EXPECT_EQ(download.code, test.failure.empty() ? -1 : test.code);
        if (test.failure.empty()) EXPECT_EQ(download.file.body(), test.body);
        EXPECT_EQ(after.failure, "");
        EXPECT_EQ(after.file.body(), "next");
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
        cache.entries.clear();
    }
}

TEST_F(DownloadTest, RedirectTargetsAndTheCredentialsThatFollowThem)
{
    std::string plain = std::to_string(url("leaf.test", Port::plain, "").port());
    std::string tls = std::to_string(url("leaf.test", Port::tls, "").port());
    // A Host line names the first origin as much as the credentials belong
    // to it.
    std::string host = "Host: leaf.test:" + plain;
    for (const char* line : {"Authorization: Basic dTpw", "Proxy-Authorization: Basic cDpw",
                             "Cookie: session=1", "X-Other: kept", host.c_str()})
        context->fixedHeaders().add(line);
    std::string back = url("leaf.test", Port::plain, "/home").text();
    struct Case
    {
        std::string location;
        std::string requestLine;
        std::string host;
        /// Whether the last request is within the first one's origin.
        bool home;
    } cases[] = {
        {"../x/y", "GET /a/x/y HTTP/1.1", "leaf.test:" + plain, true},
        {"?q=2", "GET /a/b/c?q=2 HTTP/1.1", "leaf.test:" + plain, true},
        {"/echo#frag", "GET /echo HTTP/1.1", "leaf.test:" + plain, true},
        {"http://LEAF.test:" + plain + "/up", "GET /up HTTP/1.1", "LEAF.test:" + plain, true},
        {"//second.test:" + plain + "/z", "GET /z HTTP/1.1", "second.test:" + plain, false},
        {"https://leaf.test:" + tls + "/s", "GET /s HTTP/1.1", "leaf.test:" + tls, false},
        // Away and back again.
        {url("second.test", Port::plain, "/away",
             {{"status", "302"}, {"header", "Location:" + back}})
             .text(),
         "GET /home HTTP/1.1", "leaf.test:" + plain, true},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.location);
        auto result = download(url("leaf.test", Port::plain, "/a/b/c",
                                   {{"status", "302"}, {"header", "Location:" + test.location}}));
        EXPECT_EQ(result->failure, "");
        std::vector<std::string> logged = requests();
        EXPECT_TRUE(hasLine(logged.front(), "Cookie: session=1"));
        const std::string& last = logged.back();
        EXPECT_EQ(requestLine(last), test.requestLine);
        EXPECT_TRUE(hasLine(last, "host: " + test.host));
        EXPECT_TRUE(hasLine(last, "X-Other: kept"));
        for (const char* line :
             {"Authorization: Basic dTpw", "Proxy-Authorization: Basic cDpw", "Cookie: session=1"})
            EXPECT_EQ(hasLine(last, line), test.home) << line;
        for (const auto& entry : std::filesystem::directory_iterator(pki.path("log")))
            std::filesystem::remove(entry.path());
    }

    // A port of 0 is no place to go.
    auto nowhere = download(url("leaf.test", Port::plain, "/a",
                                {{"status", "302"}, {"header", "Location:http://127.0.0.1:0/"}}));
    EXPECT_EQ(nowhere->code, 302);
    EXPECT_EQ(nowhere->failure, "download failed");
}
