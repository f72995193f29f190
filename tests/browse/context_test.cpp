#include "browse/context.h"

#include "tests/browse/contextfixture.h"
#include "tests/browse/downloadrecorder.h"
#include "tests/browse/nginx.h"
#include "tests/network/support/peers.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <thread>
#include <vector>

using Kestrava::Browse::Context;
using Kestrava::Browse::Url;
using Testing::Endpoint;
using Testing::Recorder;

namespace
{

using Testing::ContextTest;
using Events = ContextTest::Events;

TEST_F(ContextTest, ReachesNamesOfEitherFamilyAndIpLiterals)
{
    for (const char* text :
         {"http://dual.test:PORT/", "http://v6only.test:PORT/x", "http://DUAL.test:PORT",
          "http://127.0.0.1:PORT/", "http://[::1]:PORT/"})
    {
        auto recorders = request(text);
        EXPECT_EQ(answered, recorders[0]->events) << text;
    }
    // A name of the hosts file is the file's alone, as getaddrinfo takes it:
    // the address a name server has for its other family is not tried.
    EXPECT_EQ((Events{"failed Connect failure"}), request("http://pinned.test:PORT/")[0]->events);
    // Neither those names nor the literals were asked of a name server.
    std::string queries = Endpoint::queries();
    for (const char* asked :
         {" v6only.test from", " pinned.test from", "] 127.0.0.1 from", "::1 from"})
        EXPECT_EQ(std::string::npos, queries.find(asked)) << queries;
}

TEST_F(ContextTest, SendsTheQueryAndTheAsciiHost)
{
    auto query = request("http://dual.test:PORT?x=1");
    EXPECT_EQ(0u, query[0]->body.find("GET /?x=1 HTTP/1.1\r\n")) << query[0]->body;
    auto unicode = request("http://bücher.test:PORT/");
    EXPECT_EQ(answered, unicode[0]->events);
    EXPECT_NE(std::string::npos, unicode[0]->body.find("\r\nHost: xn--bcher-kva.test:" +
                                                       std::to_string(Endpoint::plain()) + "\r\n"))
        << unicode[0]->body;
}

TEST_F(ContextTest, HostCarriesThePortUnlessItIsTheSchemes)
{
    const std::string port = std::to_string(Endpoint::plain());
    for (auto [text, host] : {std::pair{"http://dual.test/", "dual.test"},
                              std::pair{"https://secure.test/", "secure.test"},
                              std::pair{"http://[::1]:PORT/", "[::1]:PORT"},
                              std::pair{"http://127.0.0.1:PORT/", "127.0.0.1:PORT"}})
    {
        auto recorders = request(text);
        std::string line = "\r\nHost: " + std::string(host) + "\r\n";
        size_t at = line.find("PORT");
        if (at != std::string::npos) line.replace(at, 4, port);
        EXPECT_NE(std::string::npos, recorders[0]->body.find(line)) << recorders[0]->body;
    }
}

TEST_F(ContextTest, FailuresAreReportedOnceFromTheLoop)
{
    EXPECT_EQ((Events{"failed Connect failure"}), request("http://127.0.0.3:PORT/")[0]->events);
    EXPECT_EQ((Events{"failed IP lookup error"}), request("http://missing.test/")[0]->events);
    EXPECT_EQ((Events{"failed Protocol not supported"}), request("ftp://dual.test/")[0]->events);
    // A name the resolver cannot even ask.
    std::string label(60, 'a');
    std::string longName =
        "http://" + label + "." + label + "." + label + "." + label + "." + label + ".test/";
    EXPECT_EQ((Events{"failed IP lookup error"}), request(longName)[0]->events);

    context->blocked().add(DNS::Ip("127.0.0.0"), 8);
    EXPECT_EQ((Events{"failed IP blacklisted"}), request("http://127.0.0.1:PORT/")[0]->events);
    context->allowed().add(DNS::Ip("127.0.0.1"), 32, Endpoint::plain());
    EXPECT_EQ(answered, request("http://127.0.0.1:PORT/")[0]->events);

    context->timeout(0.3);
    EXPECT_EQ((Events{"available", "expired"}),
              request("http://dual.test:PORT/s?stall=1")[0]->events);
}

/// The resolver tests' scripted name server, on loopback addresses of its
/// own, and resolvers that ask it.
class ScriptedDns
{
public:
    ScriptedDns()
        : _server({"/usr/bin/python3", KESTRAVA_DNS_SERVER, "--log", _scratch.path("queries"),
                   "--ready", _scratch.path("ready")},
                  _scratch.path("server.out"))
    {
        for (int i = 0; i < 200 && !std::filesystem::exists(_scratch.path("ready")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        _scratch.write("hosts", "");
    }

    /// A resolver on the loop that asks the server, with `lines` added to
    /// its resolv.conf; it lives as long as this object.
    DNS::Context& resolver(DNS::Loop* loop, const std::string& lines = "")
    {
        _scratch.write("resolv.conf",
                       "nameserver 127.0.0.2\noptions timeout:1 attempts:1\n" + lines);
        _resolvers.push_back(std::make_unique<DNS::Context>(
            loop, _scratch.path("resolv.conf").c_str(), _scratch.path("hosts").c_str()));
        return *_resolvers.back();
    }

    /// How often the server was asked the name.
    size_t asked(const std::string& name) const
    {
        std::string log = _scratch.read("queries");
        size_t count = 0;
        for (size_t at = log.find(" " + name + " "); at != std::string::npos;
             at = log.find(" " + name + " ", at + 1))
            ++count;
        return count;
    }

private:
    Kestrava::OpenSSL::Test::Scratch _scratch;
    Kestrava::OpenSSL::Test::Process _server;
    std::vector<std::unique_ptr<DNS::Context>> _resolvers;
};

TEST_F(ContextTest, TakesOnlyTheAddressesThatAnswerForTheHost)
{
    ScriptedDns scripted;
    context = std::make_unique<Context>(&loop, DNS::Ip("0.0.0.0"), scripted.resolver(&dnsLoop));
    for (auto [text, events] :
         // Through an alias, to a name in other letters; nothing but another
         // name's address; aliases in a loop.
         {std::pair{"http://loopback.test:PORT/", answered},
          std::pair{"http://unrelated.test:PORT/", Events{"failed IP lookup error"}},
          std::pair{"http://loop.test:PORT/", Events{"failed IP lookup error"}}})
        EXPECT_EQ(events, request(text)[0]->events) << text;
    context = std::make_unique<Context>(&loop, DNS::Ip("0.0.0.0"), dns);
}

TEST_F(ContextTest, TheFirstSearchCandidateWithAnAddressGivesBothFamilies)
{
    // As getaddrinfo: under v4.test every name has an IPv4 address only, on
    // which nothing listens; under v6.test an IPv6 one only (the endpoint's);
    // a.example has no name; refused.test's server refuses, which ends the
    // search: the names after it may be other hosts'.
    ScriptedDns scripted;
    for (auto [search, events] :
         {std::pair{"search a.example v4.test v6.test\n", Events{"failed Connect failure"}},
          std::pair{"search a.example v6.test v4.test\n", answered},
          std::pair{"search refused.test v6.test\n", Events{"failed IP lookup error"}}})
    {
        context = std::make_unique<Context>(&loop, DNS::Ip("0.0.0.0"),
                                            scripted.resolver(&dnsLoop, search));
        EXPECT_EQ(events, request("http://www:PORT/")[0]->events) << search;
    }
    // Both families asked of each candidate up to the first with an
    // address or refused, and of none after it.
    for (auto [name, count] : {std::pair{"www.a.example", 4u}, std::pair{"www.v4.test", 2u},
                               std::pair{"www.v6.test", 2u}, std::pair{"www.refused.test", 2u}})
        EXPECT_EQ(count, scripted.asked(name)) << name;
    context = std::make_unique<Context>(&loop, DNS::Ip("0.0.0.0"), dns);
}

TEST_F(ContextTest, LocalAddressNotOnTheMachineFailsToConnect)
{
    Context elsewhere(&loop, DNS::Ip("192.0.2.55"), dns);
    Recorder recorder;
    recorder.bare = false;
    elsewhere.connect(url("http://127.0.0.1:PORT/"), &recorder);
    EXPECT_TRUE(recorder.events.empty());
    Testing::runUntil(loop, [&] { return recorder.finished; });
    EXPECT_EQ((Events{"failed failed to connect"}), recorder.events);
}

TEST_F(ContextTest, RefusingFirstAddressFallsThroughSilently)
{
    auto recorders = request("http://refusing.test:PORT/");
    EXPECT_EQ(answered, recorders[0]->events);
    EXPECT_EQ(0u, recorders[0]->body.find("GET / HTTP/1.1\r\nHost: refusing.test:"));
}

TEST_F(ContextTest, SilentFirstAddressCostsOneShortConnect)
{
    Kestrava::Network::Test::FullListener silent("127.0.0.4", Endpoint::plain());
    context->connectTimeout(0.5);
    EXPECT_EQ(answered, request("http://silent.test:PORT/")[0]->events);
    // The address is set aside: the next request goes to the second at once.
    auto next = ask("http://silent.test:PORT/", 1);
    EXPECT_TRUE(Testing::runUntil(
        loop, [&] { return next[0]->finished; }, 0.4));
    EXPECT_EQ(answered, next[0]->events);

    // A deadline that passes first counts as a failed connect too.
    context = std::make_unique<Context>(&loop, DNS::Ip("0.0.0.0"), dns);
    context->connectTimeout(5.0);
    context->timeout(0.5);
    EXPECT_EQ(answered, request("http://silent.test:PORT/")[0]->events);
}

TEST_F(ContextTest, ThirdRequestToAHostWaits)
{
    auto recorders = ask("http://dual.test:PORT/w?delay=0.3", 3);
    Url host = url("http://dual.test:PORT/");
    EXPECT_EQ(0u, context->connections(host.hostname()));
    EXPECT_EQ(3u, context->queue(host.hostname()));
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return context->connections() == 2; }));
    EXPECT_EQ(2u, context->connections(host.hostname()));
    EXPECT_EQ(1u, context->queue(host.hostname()));
    EXPECT_EQ(1u, context->queue());
    EXPECT_TRUE(finish(recorders));
    for (const auto& recorder : recorders)
        EXPECT_EQ(answered, recorder->events);
    // The third went on a connection handed over by one of the first two.
    EXPECT_TRUE(recorders[2]->clientPorts[0] == recorders[0]->clientPorts[0] ||
                recorders[2]->clientPorts[0] == recorders[1]->clientPorts[0]);
}

TEST_F(ContextTest, KeepAliveHandsTheConnectionOver)
{
    context->hostLimit(1);
    auto recorders = request("http://dual.test:PORT/", 5);
    for (const auto& recorder : recorders)
    {
        EXPECT_EQ(answered, recorder->events);
        EXPECT_EQ(recorders[0]->clientPorts, recorder->clientPorts);
    }
    // The last one closes the connection and ends with its close.
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->connections() == 0; }));
}

TEST_F(ContextTest, EleventhConnectionWaitsForRoom)
{
    context->hostLimit(20);
    auto recorders = ask("http://dual.test:PORT/e?delay=0.3&close=1", 11);
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 10; }));
    EXPECT_EQ(1u, context->delayed());
    EXPECT_TRUE(finish(recorders));
    for (const auto& recorder : recorders)
        EXPECT_EQ(answered, recorder->events);
}

TEST_F(ContextTest, ResponsesEndedByTheServerFreeTheirPlace)
{
    context->hostLimit(1);
    auto recorders = ask("http://dual.test:PORT/o?version=1.0&body=old", 100);
    EXPECT_TRUE(finish(recorders));
    for (const auto& recorder : recorders)
    {
        EXPECT_EQ(answered, recorder->events);
        EXPECT_EQ("old", recorder->body);
    }
}

TEST_F(ContextTest, CertificateNotValidForTheHostIsUsedButNeverHandedOver)
{
    context->hostLimit(1);
    // Self-signed, and from the trusted authority for another name.
    for (auto [text, security] :
         {std::pair{"https://self.test:SELF/", "0 0 self-signed certificate"},
          std::pair{"https://self.test:CA/", "1 0 hostname mismatch"}})
    {
        auto recorders = request(text, 2);
        for (const auto& recorder : recorders)
        {
            EXPECT_EQ(answered, recorder->events) << text;
            EXPECT_EQ((std::vector<std::string>{security}), recorder->security);
            EXPECT_EQ((std::vector<bool>{false}), recorder->secureHeads) << text;
            EXPECT_EQ((std::vector<std::string>{"self.test"}), recorder->sni) << text;
            EXPECT_NE(std::string::npos, recorder->body.find("\r\nHost: self.test:")) << text;
        }
        EXPECT_NE(recorders[0]->clientPorts, recorders[1]->clientPorts) << text;
    }
    // Nor to a plain request for the same port: it never goes over TLS.
    auto secure = ask("https://self.test:SELF/", 1);
    auto plain = ask("http://self.test:SELF/", 1);
    EXPECT_TRUE(finish(secure) && finish(plain));
    EXPECT_EQ(answered, secure[0]->events);
    EXPECT_NE(answered, plain[0]->events);
}

TEST_F(ContextTest, CertificateFromTrustedAuthorityIsHandedOver)
{
    context->hostLimit(1);
    // An IP literal sends no server name, and the certificate names it as
    // an address.
    for (auto [text, sni] : {std::pair{"https://secure.test:CA/", "secure.test"},
                             std::pair{"https://127.0.0.1:CA/", "-"}})
    {
        auto recorders = request(text, 3);
        for (const auto& recorder : recorders)
        {
            EXPECT_EQ(answered, recorder->events);
            EXPECT_EQ(recorders[0]->clientPorts, recorder->clientPorts);
            EXPECT_EQ((std::vector<bool>{true}), recorder->secureHeads);
            EXPECT_EQ((std::vector<std::string>{sni}), recorder->sni);
        }
        EXPECT_EQ((std::vector<std::string>{"1 1"}), recorders[0]->security);
    }

    auto unicode = request("https://bücher.test:CA/");
    EXPECT_EQ((std::vector<std::string>{"1 1"}), unicode[0]->security);
    EXPECT_EQ((std::vector<std::string>{"xn--bcher-kva.test"}), unicode[0]->sni);
}

TEST_F(ContextTest, IdleConnectionWaitsBrieflyForTheNextRequest)
{
    // Each step starts when the last request has completed; a connection
    // kept idle goes after a quarter of a second.
    auto port = [&](const std::string& text)
    {
        auto recorders = request(text);
        EXPECT_EQ(answered, recorders[0]->events) << text;
        return recorders[0]->clientPorts.at(0);
    };
    auto closesWithin = [&](double seconds)
    {
        return Testing::runUntil(
            loop, [&] { return context->live() == 0; }, seconds);
    };
    for (const char* text : {"http://dual.test:PORT/", "https://secure.test:CA/"})
    {
        ASSERT_TRUE(closesWithin(1.0));
        std::string first = port(text);
        EXPECT_EQ(first, port(text)) << text;
        EXPECT_EQ(1u, context->live()) << text;
        EXPECT_TRUE(closesWithin(1.0)) << text;
        EXPECT_NE(first, port(text)) << text;
    }

    // Gone at once: with a certificate not valid for the host (never
    // kept), when the server closes it, or speaks unasked (half a 408 here,
    // which must not become the head of the next answer).
    for (const char* text : {"https://self.test:SELF/", "http://dual.test:PORT/a?after=0.05",
                             "http://dual.test:PORT/a?after=0.05&unasked=485454502f312e3120343038"})
    {
        ASSERT_TRUE(closesWithin(1.0));
        std::string first = port(text);
        EXPECT_TRUE(closesWithin(0.2)) << text;
        EXPECT_NE(first, port("http://dual.test:PORT/")) << text;
    }

    // An idle connection gives way to one needed under either limit: for
    // another host, and for another port of its own host.
    context->connectionLimit(1);
    context->hostLimit(1);
    for (const char* next : {"http://127.0.0.1:PORT/", "http://dual.test/"})
    {
        port("http://dual.test:PORT/");
        double asked = ev_time();
        auto recorders = ask(next, 1);
        recorders[0]->onHead = [&](Kestrava::Browse::Connection*)
        { EXPECT_EQ(1u, context->live()) << next; };
        EXPECT_TRUE(finish(recorders));
        EXPECT_EQ(answered, recorders[0]->events) << next;
        EXPECT_LT(ev_time() - asked, 0.2) << next;
    }

    // The context goes while a connection idles.
    EXPECT_EQ(1u, context->live());
    destroyContext([] {});
}

TEST_F(ContextTest, ConnectionTheServerClosedIsDroppedBeforeARequestTakesIt)
{
    // The server's close (a FIN, a reset, TLS close_notify) waits unread
    // as the connection is handed over: straight to the waiting request
    // (the first one's head holds the loop until the close is in), or
    // after the idle hold (the loop does not run until it is in). The
    // request is offered a fresh connection, once. So it is when the
    // server answered before it read the body, most of which waits to go.
    context->hostLimit(1);
    auto noneLive = [&] { return Testing::runUntil(loop, [&] { return context->live() == 0; }); };
    for (const char* text :
         {"http://dual.test:PORT/h?hangup=1", "http://dual.test:PORT/h?hangup=1&end=reset",
          "https://secure.test:CA/h?hangup=1"})
    {
        ASSERT_TRUE(noneLive());
        auto recorders = ask(text, 2);
        recorders[0]->onHead = [](Kestrava::Browse::Connection*) { usleep(100000); };
        EXPECT_TRUE(finish(recorders)) << text;
        EXPECT_EQ(answered, recorders[1]->events) << text;
        EXPECT_NE(recorders[0]->clientPorts, recorders[1]->clientPorts) << text;
    }
    for (const char* text :
         {"http://dual.test:PORT/i?idle=0.05", "http://dual.test:PORT/i?idle=0.05&end=reset",
          "https://secure.test:CA/i?idle=0.05"})
    {
        ASSERT_TRUE(noneLive());
        auto first = request(text);
        usleep(150000);
        auto second = request(text);
        EXPECT_EQ(answered, second[0]->events) << text;
        EXPECT_NE(first[0]->clientPorts, second[0]->clientPorts) << text;
    }

    ASSERT_TRUE(noneLive());
    auto early = ask("http://dual.test:PORT/e?early=0.2", 2);
    const std::string body(32 << 20, 'x');
    early[0]->write = [&](Kestrava::Browse::Connection* connection)
    {
        connection->request("POST", early[0]->path.data(), early[0]->path.size());
        std::string length = std::to_string(body.size());
        connection->header("Content-Length", 14, length.data(), length.size());
        connection->emptyline(body.data(), body.size());
    };
    EXPECT_TRUE(finish(early));
    EXPECT_EQ(answered, early[1]->events);
    EXPECT_NE(early[0]->clientPorts, early[1]->clientPorts);
}

TEST_F(ContextTest, RequestUnansweredOnAReusedConnectionGoesOnceMoreOnAFreshOne)
{
    // The server closes a connection it answered before as the next request
    // comes (drop=1), the race that no check before the write can close:
    // GET and HEAD go once more, on a fresh connection, as does a request
    // whose writer allows it; none goes twice on a fresh connection, nor
    // one whose answer had begun. A 408 there says that the server closed
    // it for its idleness: the same.
    context->hostLimit(1);
    const Events repeated = {"available", "available", "head 200", "completed"};
    const Events lost = {"available", "lost"};
    const Events timedOut = {"available", "head 408", "completed"};
    const std::string timeout =
        "&part=" + Endpoint::hex("HTTP/1.1 408 Request Timeout\r\nConnection: close\r\n\r\n");
    struct Case
    {
        std::string text;
        const char* method;
        bool allowRepeat;
        Events first, second;
    } cases[] = {
        {"http://dual.test:PORT/d?drop=1", "GET", false, answered, repeated},
        {"http://dual.test:PORT/d?drop=1&end=reset", "GET", false, answered, repeated},
        {"https://secure.test:CA/d?drop=1", "GET", false, answered, repeated},
        {"https://secure.test:CA/d?drop=1&end=abrupt", "GET", false, answered, repeated},
        {"http://dual.test:PORT/d?drop=1", "HEAD", false, answered, repeated},
        {"http://dual.test:PORT/d?drop=1", "POST", false, answered, lost},
        {"http://dual.test:PORT/d?drop=1", "POST", true, answered, repeated},
        // Fresh connections both: never repeated.
        {"http://dual.test:PORT/d?drop=0", "GET", false, lost, lost},
        // "HTTP/1" came first.
        {"http://dual.test:PORT/d?drop=1&part=485454502f31", "GET", false, answered, lost},
        {"http://dual.test:PORT/d?drop=1" + timeout, "GET", false, answered, repeated},
        {"https://secure.test:CA/d?drop=1" + timeout, "HEAD", false, answered, repeated},
        {"http://dual.test:PORT/d?drop=1" + timeout, "POST", false, answered, timedOut},
        {"http://dual.test:PORT/d?drop=0" + timeout, "GET", false, timedOut, timedOut},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.text + " " + test.method);
        ASSERT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
        auto recorders = ask(test.text, 2);
        for (const auto& recorder : recorders)
            recorder->write =
                [&test, path = recorder->path](Kestrava::Browse::Connection* connection)
            {
                connection->request(test.method, path.data(), path.size());
                if (test.allowRepeat) connection->allowRepeat();
                connection->emptyline();
            };
        EXPECT_TRUE(finish(recorders));
        EXPECT_EQ(test.first, recorders[0]->events);
        EXPECT_EQ(test.second, recorders[1]->events);
    }

    // A download too.
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    Testing::DownloadRecorder downloads[2];
    for (auto& download : downloads)
        context->download(url("http://dual.test:PORT/d?drop=1&body=file"), &download, 0);
    EXPECT_TRUE(Testing::runUntil(loop, [&] { return downloads[1].reports == 1; }));
    for (auto& download : downloads)
        EXPECT_EQ("file", download.file.body());
}

TEST_F(ContextTest, ServersThatCloseKeptConnectionsFailNoRequest)
{
    // As users meet them: one request at a time with pauses around the
    // server's idle time-out, or many at once.
    Nginx nginx("100ms");
    context->hostLimit(10);
    context->connectionLimit(10);
    for (const std::string& text : {"http://127.0.0.1:" + std::to_string(nginx.port()) + "/",
                                    std::string("http://dual.test:PORT/s?idle=0.1"),
                                    std::string("http://dual.test:PORT/s?hangup=1")})
    {
        for (double pause : {0.07, 0.09, 0.1, 0.11, 0.13, 0.07, 0.09, 0.1, 0.11, 0.13})
        {
            auto recorders = request(text);
            EXPECT_EQ("completed", recorders[0]->events.back()) << text;
            Testing::runUntil(
                loop, [] { return false; }, pause);
        }
        for (const auto& recorder : request(text, 50))
            EXPECT_EQ("completed", recorder->events.back()) << text;
    }
}

TEST_F(ContextTest, BodyEndedByResetOrTlsWithoutCloseNotifyIsLost)
{
    const std::string body = "/b?version=1.0&body=until+the+close";
    for (auto [text, events] : {std::pair{"http://dual.test:PORT" + body + "&end=reset",
                                          Events{"available", "head 200", "lost"}},
                                std::pair{"https://secure.test:CA" + body + "&end=abrupt",
                                          Events{"available", "head 200", "lost"}},
                                std::pair{"https://secure.test:CA" + body, answered}})
    {
        auto recorders = request(text);
        EXPECT_EQ(events, recorders[0]->events) << text;
        EXPECT_EQ("until the close", recorders[0]->body) << text;
    }
}

TEST_F(ContextTest, PlainServerFailsTheHandshake)
{
    EXPECT_EQ((Events{"failed Failed during ssl handshake"}),
              request("https://dual.test:PORT/")[0]->events);
}

TEST_F(ContextTest, HandlersAskAgainFromInsideTheirReports)
{
    const std::vector<std::string> texts = {"http://dual.test:PORT/", "http://missing.test/",
                                            "http://127.0.0.3:PORT/", "ftp://dual.test/",
                                            "http://dual.test:PORT/last"};
    std::vector<std::unique_ptr<Recorder>> recorders(texts.size());
    std::function<void(size_t)> askNext = [&](size_t index)
    {
        recorders[index] = std::make_unique<Recorder>();
        recorders[index]->bare = false;
        if (index + 1 < texts.size())
            recorders[index]->onFinished = [&, index] { askNext(index + 1); };
        context->connect(url(texts[index]), recorders[index].get());
    };
    askNext(0);
    ASSERT_TRUE(
        Testing::runUntil(loop, [&] { return recorders.back() && recorders.back()->finished; }));
    EXPECT_EQ(answered, recorders[0]->events);
    EXPECT_EQ((Events{"failed IP lookup error"}), recorders[1]->events);
    EXPECT_EQ((Events{"failed Connect failure"}), recorders[2]->events);
    EXPECT_EQ((Events{"failed Protocol not supported"}), recorders[3]->events);
    EXPECT_EQ(answered, recorders[4]->events);
}

TEST_F(ContextTest, ClosingInsideAReportEndsWithTheClose)
{
    Recorder recorder;
    recorder.bare = false;
    recorder.path = "/c?chunked=1&body=" + std::string(5000, 'x');
    recorder.onHead = [](Kestrava::Browse::Connection* connection) { connection->close(); };
    context->connect(url("http://dual.test:PORT/"), &recorder);
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return recorder.finished; }));
    EXPECT_EQ((Events{"available", "head 200", "closed"}), recorder.events);
    EXPECT_EQ("", recorder.body);
}

TEST_F(ContextTest, DestroyingTheContextCancelsWaitingRequests)
{
    std::vector<std::unique_ptr<Recorder>> recorders;
    for (const char* text :
         {"http://dual.test:PORT/", "http://dual.test:PORT/", "http://v6only.test:PORT/"})
    {
        recorders.push_back(std::make_unique<Recorder>());
        context->connect(url(text), recorders.back().get());
    }
    // Their lookups are cancelled with them.
    destroyContext(
        [&]
        {
            for (const auto& recorder : recorders)
                EXPECT_EQ((Events{"failed operation cancelled"}), recorder->events);
        });
}

TEST_F(ContextTest, DestroyingTheContextEndsRequestsInEveryState)
{
    context->hostLimit(1);
    context->connectionLimit(1);
    context->blocked().add(DNS::Ip("127.0.0.2"), 32);
    std::vector<std::unique_ptr<Recorder>> recorders;
    auto ask = [&](const std::string& text)
    {
        Url target = url(text);
        recorders.push_back(std::make_unique<Recorder>());
        recorders.back()->bare = false;
        recorders.back()->path = target.path() != nullptr ? target.path() : "/";
        context->connect(target, recorders.back().get());
    };
    ask("http://127.0.0.1:PORT/s?stall=1"); // running on a connection
    ask("http://127.0.0.1:PORT/");          // waiting for its host's turn
    ask("http://[::1]:PORT/");              // waiting for room under the limit
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return !recorders[0]->events.empty(); }));
    ask("http://127.0.0.2:PORT/"); // its failure not yet reported
    ask("http://dual.test:PORT/"); // being looked up

    const Events cancelled = {"failed operation cancelled"};
    destroyContext(
        [&]
        {
            EXPECT_EQ((Events{"available", "failed operation cancelled"}), recorders[0]->events);
            for (size_t i = 1; i < recorders.size(); ++i)
                EXPECT_EQ(cancelled, recorders[i]->events) << i;
        });
}

TEST_F(ContextTest, RequestsAskedWhileTheContextGoesAreCancelledToo)
{
    Context* going = context.get();
    // The running request asks again from its cancellation, for a literal
    // (which would connect at once) and for a name (which would be looked up).
    std::vector<std::unique_ptr<Recorder>> recorders;
    recorders.push_back(std::make_unique<Recorder>());
    recorders[0]->bare = false;
    recorders[0]->path = "/s?stall=1";
    recorders[0]->onFinished = [&]
    {
        for (const char* text : {"http://127.0.0.1:PORT/", "http://v6only.test:PORT/"})
        {
            recorders.push_back(std::make_unique<Recorder>());
            going->connect(url(text), recorders.back().get());
        }
    };
    context->connect(url("http://127.0.0.1:PORT/"), recorders[0].get());
    ASSERT_TRUE(Testing::runUntil(loop, [&] { return !recorders[0]->events.empty(); }));
    destroyContext(
        [&]
        {
            EXPECT_EQ((Events{"available", "failed operation cancelled"}), recorders[0]->events);
            ASSERT_EQ(3u, recorders.size());
            for (size_t i = 1; i < recorders.size(); ++i)
                EXPECT_EQ((Events{"failed operation cancelled"}), recorders[i]->events);
        });
}

TEST_F(ContextTest, LimitsOfZeroCountAsOne)
{
    context->connectionLimit(0);
    context->hostLimit(0);
    EXPECT_EQ(1u, context->connectionLimit());
    EXPECT_EQ(1u, context->hostLimit());
    for (const auto& recorder : request("http://dual.test:PORT/", 2))
        EXPECT_EQ(answered, recorder->events);
}

} // namespace
