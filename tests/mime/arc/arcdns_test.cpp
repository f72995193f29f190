// Runs inside tests/dns/namespace.sh: port 53 and /etc/resolv.conf are ours.
#include "dns/blocking/context.h"
#include "mime/arc/arcpublickeys.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcstatus.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "tests/dns/harness.h"
#include "tests/dns/unreadable.h"
#include "tests/mime/support/arcpeers.h"
#include "tests/mime/support/keyserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace Kestrava::Mime;
using Kestrava::Test::Peer;

namespace
{

const char* const server = "127.0.0.11";
const std::string plain = "Authentication-Results: relay.example; spf=pass "
                          "smtp.mailfrom=a@example.com\r\nReceived: from a\r\nReceived: from "
                          "b\r\nFrom: a@example.com\r\nTo: b@example.org\r\nSubject: hi\r\n"
                          "To: c@example.org\r\n\r\nbody\r\n";

/// dnsmasq serving the shared key under several selectors of example.com
/// and of a Unicode domain, logging every query.
class ArcDnsTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        keyServer = new Kestrava::Test::KeyServer(
            server, Kestrava::Test::sharedPeerKeys().publicBase64(),
            {"peer._domainkey.example.com", "peer2._domainkey.example.com",
             "peer3._domainkey.example.com", "ours._domainkey.example.com",
             "ours._domainkey.xn--bcher-kva.example"},
            {"example.com", "xn--bcher-kva.example"});
    }
    static void TearDownTestSuite() { delete keyServer; }

    static void useServer(const char* nameserver) { keyServer->use(nameserver); }
    static int queries(const std::string& name) { return keyServer->queries(name); }

    /// Our chain result, ": " and the reason when there is one.
    static std::string validate(const std::string& text, const char* nameserver = server,
                                int attempts = 1)
    {
        Object message(text.data(), text.size());
        ArcSignatures signatures(message);
        keyServer->use(nameserver, attempts);
        Kestrava::Dns::Context context;
        ArcPublicKeys keys(context, signatures);
        ArcStatus status(message, signatures, keys);
        return status.reason.empty() ? status.result
                                     : std::string(status.result) + ": " + status.reason;
    }

    /// The message sealed by us for relay.example, or "false".
    static std::string seal(const std::string& text, const char* domain = "example.com",
                            const char* algorithm = "rsa-sha256", const char* nameserver = server,
                            bool twice = false)
    {
        Object message(text.data(), text.size());
        Kestrava::OpenSSL::PrivateKey pem(Kestrava::Test::sharedPeerKeys().privatePem().c_str());
        DkimKey key(pem.key(), domain, "ours", algorithm);
        std::string value = "relay.example; spf=pass smtp.mailfrom=a@example.com";
        AuthenticationResults results(value.data(), value.size(), true);
        useServer(nameserver);
        Kestrava::Dns::Context context;
        if (!message.resign(context, Capabilities::utf8(), key, results, 0, twice)) return "false";
        return message.str(true);
    }

    /// The message with set `n` added by the peer as `selector`: sets from
    /// 2 on are sealed by a service "hopN.example" of their own, whose
    /// Authentication-Results says the chain passed.
    static std::string hop(Peer peer, const std::string& text, const char* selector, int n)
    {
        if (n == 1) return Kestrava::Test::arcSeal(peer, text, selector);
        std::string service = "hop" + std::to_string(n) + ".example";
        return Kestrava::Test::arcSeal(
            peer, "Authentication-Results: " + service + "; arc=pass\r\n" + text, selector,
            service);
    }

    /// A chain of peer sets, one selector per hop.
    static std::string peerChain(std::vector<Peer> peers, std::string text = plain)
    {
        const char* selectors[] = {"peer", "peer2", "peer3"};
        for (size_t n = 0; n < peers.size(); ++n)
            text = hop(peers[n], text, selectors[n], static_cast<int>(n + 1));
        return text;
    }

    /// ARC lines of well-formed sets whose signatures are not real, set n
    /// by selectors[n - 1].
    static std::string unsignedChain(const std::vector<std::string>& selectors)
    {
        std::string lines;
        for (size_t i = 1; i <= selectors.size(); ++i)
        {
            std::string n = std::to_string(i);
            const std::string& selector = selectors[i - 1];
            lines += "ARC-Seal: i=" + n + "; a=rsa-sha256; cv=" + (i == 1 ? "none" : "pass") +
                     "; d=example.com; s=" + selector +
                     "; t=1; b=AAAA\r\nARC-Message-Signature: i=" + n +
                     "; a=rsa-sha256; d=example.com; s=" + selector +
                     "; h=from; bh=AAAA; b=AAAA\r\nARC-Authentication-Results: i=" + n +
                     "; relay.example; none\r\n";
        }
        return lines;
    }

    static std::string line(const std::string& text, size_t index)
    {
        size_t start = 0;
        for (size_t i = 0; i < index; ++i)
        {
            start = text.find("\r\n", start) + 2;
            while (text[start] == ' ' || text[start] == '\t')
                start = text.find("\r\n", start) + 2;
        }
        return text.substr(start, text.find(':', start) - start);
    }

    static Kestrava::Test::KeyServer* keyServer;
};

Kestrava::Test::KeyServer* ArcDnsTest::keyServer = nullptr;

TEST_F(ArcDnsTest, PeerChainsPass)
{
    for (auto peers :
         std::vector<std::vector<Peer>>{{Peer::dkimpy},
                                        {Peer::mailDkim},
                                        {Peer::dkimpy, Peer::dkimpy},
                                        {Peer::mailDkim, Peer::mailDkim, Peer::mailDkim},
                                        {Peer::dkimpy, Peer::mailDkim, Peer::dkimpy}})
    {
        std::string text = peerChain(peers);
        SCOPED_TRACE(text);
        EXPECT_EQ(validate(text), "pass");
    }
}

TEST_F(ArcDnsTest, ResultsAsRealSealersWriteThemKeepAChain)
{
    // Words the strict results grammar refuses; dkimpy refuses to seal the
    // address literal itself.
    std::string lenient = "relay.example; spf=pass action=none; dkim=pass "
                          "header.d=example.com x-bits=2048";
    std::string literal = lenient + "; iprev=pass smtp.helo=[1.2.3.4]";
    for (auto sealing : std::vector<std::pair<Peer, std::string>>{
             {Peer::dkimpy, lenient}, {Peer::mailDkim, lenient}, {Peer::mailDkim, literal}})
    {
        std::string text = "Authentication-Results: " + sealing.second + "\r\n" +
                           plain.substr(plain.find("\r\n") + 2);
        std::string chain = peerChain({sealing.first, sealing.first}, text);
        SCOPED_TRACE(chain);
        EXPECT_EQ(validate(chain), "pass");
        EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, chain), "pass");
        EXPECT_EQ(Kestrava::Test::arcValidate(Peer::mailDkim, chain), "pass");
    }
}

TEST_F(ArcDnsTest, OurFirstSetValidatesEverywhere)
{
    std::string sealed = seal(plain);
    ASSERT_NE(sealed, "false");
    EXPECT_EQ(line(sealed, 0), "ARC-Seal");
    EXPECT_EQ(line(sealed, 1), "ARC-Message-Signature");
    EXPECT_EQ(line(sealed, 2), "ARC-Authentication-Results");
    EXPECT_NE(sealed.find("ARC-Seal: i=1; a=rsa-sha256; s=ours; d=example.com; cv=none; t="),
              std::string::npos);
    EXPECT_NE(sealed.find("ARC-Message-Signature: i=1; a=rsa-sha256; q=dns/txt; "
                          "c=relaxed/relaxed;"),
              std::string::npos);
    EXPECT_NE(sealed.find("ARC-Authentication-Results: i=1;relay.example; spf=pass"),
              std::string::npos);
    EXPECT_EQ(validate(sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::mailDkim, sealed), "pass");
}

TEST_F(ArcDnsTest, TheMessageSignatureCoversTheRightFields)
{
    std::string sealed = seal(plain);
    size_t fields = sealed.find("h=");
    ASSERT_NE(fields, std::string::npos);
    std::string list = sealed.substr(fields, sealed.find(';', fields) - fields);
    EXPECT_EQ(list, "h=To:Subject:To:From:From");
    EXPECT_EQ(sealed.find("x="), std::string::npos);
    // The b= value of a 2048-bit key: 344 characters in pieces.
    size_t b = sealed.find("b=", sealed.find("ARC-Message-Signature")) + 2;
    std::vector<size_t> pieces;
    for (size_t start = b;; start += 3)
    {
        size_t end = sealed.find("\r\n", start);
        pieces.push_back(end - start);
        start = end;
        if (sealed[end + 2] != ' ') break;
    }
    EXPECT_EQ(pieces, (std::vector<size_t>{72, 74, 74, 74, 50}));
    EXPECT_NE(seal(plain, "example.com", "RSA-SHA256"), "false");
    EXPECT_EQ(seal(plain, "example.com", "rsa-sha1"), "false");

    // A DKIM signature is covered under its name as written; x= as given.
    std::string dkim = "DKIM-Signature: v=1; d=example.com\r\n" + plain;
    Object signedMessage(dkim.data(), dkim.size());
    Kestrava::OpenSSL::PrivateKey pem(Kestrava::Test::sharedPeerKeys().privatePem().c_str());
    AuthenticationResults results("relay.example");
    useServer(server);
    Kestrava::Dns::Context context;
    ASSERT_TRUE(signedMessage.resign(context, Capabilities::utf8(),
                                     DkimKey(pem.key(), "example.com", "ours"), results, 4102444800,
                                     false));
    std::string written = signedMessage.str(true);
    Object reread(written.data(), written.size());
    ArcSignatures chain(reread);
    EXPECT_EQ(chain.signature.headers().names,
              (std::vector<std::string>{"To", "Subject", "To", "From", "DKIM-Signature", "From"}));
    EXPECT_EQ(chain.signature.expiration(), "4102444800");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, written), "pass");
}

TEST_F(ArcDnsTest, AFromPutOnTopFailsEverywhere)
{
    // Ours names From once more than the message holds it (RFC 6376 8.15);
    // Mail::DKIM's does not, so the second From alone must fail it.
    for (const std::string& sealed : {seal(plain), peerChain({Peer::mailDkim})})
    {
        std::string forged = "From: CEO <ceo@bank.example>\r\n" + sealed;
        SCOPED_TRACE(forged);
        EXPECT_EQ(validate(sealed), "pass");
        EXPECT_EQ(validate(forged), "fail: Top AMS invalid: More than one From field");
        EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, forged), "fail");
    }
}

TEST_F(ArcDnsTest, OverSignedSetsValidateEverywhere)
{
    // To recurs with Subject between its two lines.
    std::string sealed = seal(plain, "example.com", "rsa-sha256", server, true);
    ASSERT_NE(sealed, "false");
    EXPECT_NE(sealed.find("h=To:Subject:Subject:To:To:From:From;"), std::string::npos);
    EXPECT_EQ(validate(sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::mailDkim, sealed), "pass");
}

TEST_F(ArcDnsTest, OnlyRsaSha256SealsAChain)
{
    std::string sealed = seal(plain);
    size_t algorithm = sealed.find("a=rsa-sha256");
    ASSERT_NE(algorithm, std::string::npos);
    sealed.replace(algorithm, 12, "a=rsa-sha1");
    EXPECT_EQ(validate(sealed), "fail: Invalid arc-seal hop[1]: unsupported digest algorithm");
}

TEST_F(ArcDnsTest, SealingOnPeerChains)
{
    std::string two = peerChain({Peer::dkimpy, Peer::dkimpy});
    std::string sealed = seal(two);
    EXPECT_NE(sealed.find("ARC-Seal: i=3; a=rsa-sha256; s=ours; d=example.com; cv=pass"),
              std::string::npos);
    EXPECT_EQ(validate(sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, sealed), "pass");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::mailDkim, sealed), "pass");

    // A seal-2 timestamp changed on the way.
    size_t seal2 = two.find("ARC-Seal: i=2");
    size_t t = two.find("t=", seal2) + 2;
    std::string tampered = two;
    tampered[t] = tampered[t] == '1' ? '2' : '1';
    EXPECT_EQ(validate(tampered), "fail: Invalid arc-seal hop[2]: Header hash does not match");
    std::string broken = seal(tampered);
    EXPECT_NE(broken.find("ARC-Seal: i=3; a=rsa-sha256; s=ours; d=example.com; cv=fail"),
              std::string::npos);
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, broken), "fail");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::mailDkim, broken), "fail");
    // Nothing goes on top of a chain that says it failed.
    EXPECT_EQ(seal(broken), "false");
}

TEST_F(ArcDnsTest, ChangesAndMovesOfTheMessage)
{
    std::string chain = peerChain({Peer::dkimpy, Peer::mailDkim});
    std::string body = chain;
    body.replace(body.rfind("body"), 4, "BODY");
    EXPECT_EQ(validate(body).rfind("fail: Top AMS invalid: ", 0), 0u) << validate(body);
    // The ARC lines of set 1 moved below From.
    Object message(chain.data(), chain.size());
    std::string moved;
    std::string set1;
    for (const Line& line : message.header)
    {
        std::string text(line.data, line.size);
        bool first = line.key() != "authentication-results" && line.key() != "from" &&
                     std::string(line.value().data, 4) == "i=1;";
        (first ? set1 : moved) += text;
        if (line.key() == "from") moved += set1;
    }
    moved += "\r\nbody\r\n";
    EXPECT_EQ(validate(moved + ""), "pass") << moved;
}

TEST_F(ArcDnsTest, LookupsOnePerKeyInAscii)
{
    std::string chain = peerChain({Peer::dkimpy, Peer::dkimpy});
    chain = hop(Peer::dkimpy, chain, "peer2", 3);
    int before = queries("peer2._domainkey.example.com");
    EXPECT_EQ(validate(chain), "pass");
    EXPECT_EQ(queries("peer2._domainkey.example.com"), before + 1);

    int none = queries("peer._domainkey.example.com");
    EXPECT_EQ(validate(plain), "none");
    EXPECT_EQ(queries("peer._domainkey.example.com"), none);

    std::string unicode = seal(plain, "b\xc3\xbc"
                                      "cher.example");
    ASSERT_NE(unicode, "false");
    EXPECT_EQ(validate(unicode), "pass");
    EXPECT_GE(queries("ours._domainkey.xn--bcher-kva.example"), 1);
}

TEST_F(ArcDnsTest, KeysThatCannotBeFetched)
{
    // Set 2 by a selector dnsmasq does not know, set 3 by a known one.
    std::string chain = peerChain({Peer::dkimpy});
    chain = hop(Peer::dkimpy, chain, "missing", 2);
    chain = hop(Peer::dkimpy, chain, "peer3", 3);
    EXPECT_EQ(validate(chain), "fail: Invalid arc-seal hop[2]: Permanent error fetching DNS");

    std::string one = peerChain({Peer::dkimpy});
    EXPECT_EQ(validate(one, "127.0.0.4"), "fail: Temporary exception fetching DNS");
    // A time-out never seals a failure, nor do resolver files that do not read.
    EXPECT_EQ(seal(one, "example.com", "rsa-sha256", "127.0.0.4"), "false");
    std::string failing = unsignedChain({"servfail"}) + plain;
    EXPECT_EQ(validate(failing, "127.0.0.2"), "fail: Temporary exception fetching DNS");
    EXPECT_EQ(seal(failing, "example.com", "rsa-sha256", "127.0.0.2"), "false");
    // A server that refuses says nothing of the key either.
    EXPECT_EQ(validate(unsignedChain({"mix-2r"}) + plain, "127.0.0.2"),
              "fail: Temporary exception fetching DNS");
    for (const char* path : {"/etc/resolv.conf", "/etc/hosts"})
    {
        Testing::Unreadable covered(path);
        EXPECT_EQ(validate(one), "fail: Temporary exception fetching DNS") << path;
        EXPECT_EQ(seal(one), "false") << path;
    }
    Object message(one.data(), one.size());
    ArcSignatures signatures(message);
    useServer("127.0.0.4");
    Kestrava::Dns::Context context;
    ArcPublicKeys keys(context, signatures);
    ArcStatus status(message, signatures, keys);
    AuthenticationResults results("relay.example");
    results.add(status);
    EXPECT_EQ(results.str(true),
              "relay.example; arc=temperror reason=\"Temporary exception fetching DNS\"");

    Object other(plain.data(), plain.size());
    ArcSignatures otherSignatures(other);
    useServer(server);
    ArcPublicKeys otherKeys(context, otherSignatures);
    EXPECT_THROW(
        {
            try
            {
                ArcStatus judged(message, signatures, otherKeys);
            }
            catch (const std::runtime_error& failure)
            {
                EXPECT_STREQ(failure.what(), "not enough public keys to determine validity");
                throw;
            }
        },
        std::runtime_error);
}

TEST_F(ArcDnsTest, KeyLookupsRunTogetherAndStopOnceTheChainHasFailed)
{
    // The scripted server keeps silent for names that start with "silent"
    // and knows no other; two attempts each.
    std::vector<std::string> selectors;
    std::vector<std::string> names;
    for (int n = 1; n <= 10; ++n)
    {
        selectors.push_back("silent" + std::to_string(n));
        names.push_back(selectors.back() + "._domainkey.example.com");
    }
    size_t before = Testing::askedNames(names).size();
    EXPECT_EQ(validate(unsignedChain(selectors) + plain, "127.0.0.2", 2),
              "fail: Invalid arc-seal hop[1]: Temporary exception fetching DNS");
    std::vector<std::string> asked = Testing::askedNames(names);
    ASSERT_EQ(asked.size(), before + 20);
    // Every key is asked before any is asked again.
    EXPECT_EQ(std::set<std::string>(asked.begin() + before, asked.begin() + before + 10).size(),
              10u);

    // A seal that fails with its key fails the chain whatever the silent
    // key of the newest set would say: nobody waits for it.
    std::string one = peerChain({Peer::dkimpy});
    std::string silentSet =
        "ARC-Seal: i=2; a=rsa-sha256; cv=pass; d=silent.example; s=silent; t=1; b=AAAA\r\n"
        "ARC-Message-Signature: i=2; a=rsa-sha256; d=silent.example; s=silent; h=from; "
        "bh=AAAA; b=AAAA\r\nARC-Authentication-Results: i=2; relay.example; none\r\n";
    std::vector<std::string> silent = {"silent._domainkey.silent.example"};
    before = Testing::askedNames(silent).size();
    EXPECT_EQ(validate(silentSet + one, server, 2), "fail: Temporary exception fetching DNS");
    size_t waited = Testing::askedNames(silent).size() - before;
    std::string broken = one;
    size_t t = broken.find("t=", broken.find("ARC-Seal: i=1")) + 2;
    broken[t] = broken[t] == '1' ? '2' : '1';
    before = Testing::askedNames(silent).size();
    EXPECT_EQ(validate(silentSet + broken, server, 2),
              "fail: Invalid arc-seal hop[1]: Header hash does not match");
    EXPECT_LT(Testing::askedNames(silent).size() - before, waited);

    // A key that does not exist fails the chain whatever the silent ones
    // would say: nobody waits for them.
    selectors[0] = "nx";
    before = Testing::askedNames(names).size();
    EXPECT_EQ(validate(unsignedChain(selectors) + plain, "127.0.0.2", 2),
              "fail: Invalid arc-seal hop[1]: Permanent error fetching DNS");
    // Waiting on, every silent key would be asked twice.
    EXPECT_LE(Testing::askedNames(names).size(), before + 9);
}

TEST_F(ArcDnsTest, TheVerdictIsTheSameHoweverTheKeysArrive)
{
    // Three sets by selectors whose keys the scripted server refuses, or
    // fails to give for now, after the delays: answered in every order,
    // the same set names the failure, the lowest that fails for good.
    struct Chain
    {
        std::vector<std::string> kinds;
        std::string verdict;
    };
    const std::vector<Chain> chains = {
        {{"nx", "nx", "nx"}, "fail: Invalid arc-seal hop[1]: Permanent error fetching DNS"},
        {{"servfail", "nx", "nx"}, "fail: Invalid arc-seal hop[2]: Permanent error fetching DNS"},
        {{"servfail", "servfail", "servfail"},
         "fail: Invalid arc-seal hop[1]: Temporary exception fetching DNS"}};
    std::vector<int> delays = {0, 100, 200};
    for (const Chain& chain : chains)
        do
        {
            std::vector<std::string> selectors;
            for (size_t n = 0; n < delays.size(); ++n)
                selectors.push_back("late" + std::to_string(delays[n]) + "-" + chain.kinds[n]);
            SCOPED_TRACE(selectors[0] + " " + selectors[1] + " " + selectors[2]);
            EXPECT_EQ(validate(unsignedChain(selectors) + plain, "127.0.0.2"), chain.verdict);
        } while (std::next_permutation(delays.begin(), delays.end()));
}

TEST_F(ArcDnsTest, SealsThatAreRefused)
{
    std::string one = peerChain({Peer::dkimpy});
    size_t seal1 = one.find("ARC-Seal:");
    // The seal of set 1 twice, with all its continuation lines.
    std::string doubled = one;
    size_t end = doubled.find("ARC-Message-Signature:");
    doubled.insert(seal1, doubled.substr(seal1, end - seal1));
    Object message(doubled.data(), doubled.size());
    Kestrava::OpenSSL::PrivateKey pem(Kestrava::Test::sharedPeerKeys().privatePem().c_str());
    useServer(server);
    Kestrava::Dns::Context context;
    EXPECT_FALSE(message.resign(context, Capabilities::utf8(),
                                DkimKey(pem.key(), "example.com", "ours"),
                                AuthenticationResults("relay.example"), 0, false));
    EXPECT_EQ(message.str(true), doubled);

    EXPECT_EQ(seal(unsignedChain(std::vector<std::string>(50, "peer")) + plain), "false");
}

TEST_F(ArcDnsTest, Unresign)
{
    std::string chain = peerChain({Peer::dkimpy, Peer::dkimpy, Peer::dkimpy});
    Object message(chain.data(), chain.size());
    size_t lines = message.header.size();
    message.unresign({"other.example"});
    EXPECT_EQ(message.header.size(), lines);
    Object keep(chain.data(), chain.size());
    keep.unresign({"hop2.example"});
    EXPECT_EQ(keep.header.size(), lines);
    message.unresign({"hop3.example", "hop2.example"});
    EXPECT_EQ(message.header.size(), lines - 6);
    ArcSignatures left(message);
    EXPECT_EQ(left.sets(), 1u);
    EXPECT_EQ(left.error, "");
}

TEST_F(ArcDnsTest, SealingByServiceName)
{
    Kestrava::OpenSSL::PrivateKey pem(Kestrava::Test::sharedPeerKeys().privatePem().c_str());
    DkimKey key(pem.key(), "example.com", "ours");
    std::string text =
        "Authentication-Results: relay.example; dkim=pass header.d=example.com\r\n" + plain;
    Object wrongCase(text.data(), text.size());
    EXPECT_FALSE(wrongCase.resign(Capabilities::utf8(), key, "Relay.example", 0, false));
    EXPECT_EQ(wrongCase.str(true), text);
    Object message(text.data(), text.size());
    useServer(server);
    ASSERT_TRUE(message.resign(Capabilities::utf8(), key, "relay.example", 0, false));
    std::string sealed = message.str(true);
    // Both fields of the service are merged into the new results.
    Object result(sealed.data(), sealed.size());
    EXPECT_EQ(std::string(result.header.line(2).value().data, 66),
              "i=1;relay.example; dkim=pass header.d=example.com;\r\n spf=pass smtp");
    EXPECT_EQ(Kestrava::Test::arcValidate(Peer::dkimpy, sealed), "pass");
}

} // namespace

TEST_F(ArcDnsTest, ChainsThatFailWhateverTheKeysWaitForNoLookup)
{
    // A seal under rsa-sha1, or a newest message signature that expired,
    // fails the chain for good: no key is waited for, and sealing on top
    // records the failure.
    std::vector<std::string> names = {"silent1._domainkey.example.com",
                                      "silent2._domainkey.example.com"};
    std::string sha1 = unsignedChain({"silent1"});
    sha1.replace(sha1.find("a=rsa-sha256"), 12, "a=rsa-sha1");
    std::string expired = unsignedChain({"silent2"});
    expired.insert(expired.find("h=from"), "x=1; ");
    size_t before = Testing::askedNames(names).size();
    EXPECT_EQ(validate(sha1 + plain, "127.0.0.2", 2),
              "fail: Invalid arc-seal hop[1]: unsupported digest algorithm");
    EXPECT_EQ(validate(expired + plain, "127.0.0.2", 2),
              "fail: Top AMS invalid: Signature expired");
    EXPECT_NE(seal(expired + plain, "example.com", "rsa-sha256", "127.0.0.2").find("cv=fail"),
              std::string::npos);
    EXPECT_EQ(Testing::askedNames(names).size(), before);
}
