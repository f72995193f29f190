// Runs inside tests/dns/namespace.sh: port 53 and /etc/resolv.conf are ours.
#include "mime/dkim/dkimstatus.h"

#include "dns/blocking/context.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/capabilities.h"
#include "mime/dkim/canonicalization.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimsignatures.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "tests/mime/support/keyserver.h"
#include "tests/mime/support/peers.h"
#include "tests/dns/harness.h"
#include "tests/dns/unreadable.h"
#include "tests/mime/support/verdict.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Kestrava::Mime;

namespace
{

/// dnsmasq on 127.0.0.53 serving the key of "peer" split over three
/// character-strings, and nothing else of example.com (but the key under a
/// name below example.com that stands for bank.example, which has none).
class DkimDnsTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Outside the namespace this would take over the machine's resolver.
        if (getenv("DNS_TEST_DIR") == nullptr) return;
        keys = new Kestrava::Test::PeerKeys();
        server = new Kestrava::Test::KeyServer(
            "127.0.0.53", keys->publicBase64(),
            {"peer._domainkey.example.com", "peer._domainkey.bank.example.example.com"},
            {"example.com", "bank.example"},
            {{"alias._domainkey.example.com", "Peer._domainkey.EXAMPLE.com"}});
    }
    void SetUp() override
    {
        if (server == nullptr) FAIL() << "run through tests/dns/namespace.sh";
    }

    static void TearDownTestSuite()
    {
        delete server;
        delete keys;
    }

    /// The message signed with the key as each of the selectors, the last
    /// one's signature on top.
    static std::string signedText(const std::vector<std::string>& selectors,
                                  const std::string& domain = "example.com")
    {
        std::string text = "From: a@example.com\r\nSubject: dns\r\n\r\nbody\r\n";
        Kestrava::OpenSSL::PrivateKey pem(keys->privatePem().c_str());
        for (const std::string& selector : selectors)
        {
            Object message(text.data(), text.size());
            EXPECT_TRUE(message.sign(Capabilities::utf8(), DkimKey(pem.key(), domain, selector), 0,
                                     false, Canonicalization(false, false)));
            text = message.str(true);
        }
        return text;
    }

    /// Our word and reason for a message signed with the key as `selector`
    /// of `domain`, asking `nameserver` (`lines` added to resolv.conf).
    std::string verify(const char* selector, const char* nameserver = "127.0.0.53",
                       const std::string& domain = "example.com", const std::string& lines = "")
    {
        std::string text = signedText({selector}, domain);
        Object message(text.data(), text.size());
        DkimSignature signature = Kestrava::Test::firstSignature(message);
        DkimStatus status(signature);
        server->use(nameserver, 1, lines);
        Kestrava::Dns::Context context;
        status.initialize(context, message, signature);
        return Kestrava::Test::verdict(status);
    }

    static Kestrava::Test::PeerKeys* keys;
    static Kestrava::Test::KeyServer* server;
};

Kestrava::Test::PeerKeys* DkimDnsTest::keys = nullptr;
Kestrava::Test::KeyServer* DkimDnsTest::server = nullptr;

TEST_F(DkimDnsTest, ASplitKeyRecordPasses)
{
    EXPECT_EQ(verify("peer"), "pass");
}

TEST_F(DkimDnsTest, AMissingNameIsAPermanentError)
{
    EXPECT_EQ(verify("missing"), "permerror: Permanent error fetching DNS");
}

TEST_F(DkimDnsTest, NoServerIsATemporaryError)
{
    EXPECT_EQ(verify("peer", "127.0.0.54"), "temperror: Temporary exception fetching DNS");
    // The scripted server fails every name that starts with "servfail".
    EXPECT_EQ(verify("servfail", "127.0.0.2"), "temperror: Temporary exception fetching DNS");
}

TEST_F(DkimDnsTest, OnlyNoSuchNameOrNoKeyRecordIsPermanent)
{
    const std::string temporary = "temperror: Temporary exception fetching DNS";
    const std::string permanent = "permerror: Permanent error fetching DNS";
    // The scripted server acts on selectors "mix-2r..." (see dnsserver.py).
    const std::vector<std::vector<std::string>> rows = {
        {"mix-2r", "127.0.0.2", temporary},
        {"mix-2n", "127.0.0.2", temporary},
        {"mix-2f", "127.0.0.2", temporary},
        // Truncated, and no TCP to be had.
        {"mix-3t", "127.0.0.3", temporary},
        // One server refuses, the other keeps silent.
        {"mix-2r-6q", "127.0.0.2 127.0.0.6", temporary},
        {"mix-2x", "127.0.0.2", permanent},
        // An answer without a TXT record, or with another name's key only.
        {"mix-2a", "127.0.0.2", permanent},
        {"unrelated", "127.0.0.2", permanent},
        // The key of the name an alias (in other letters) stands for.
        {"alias", "127.0.0.53", "pass"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(verify(row[0].c_str(), row[1].c_str()), row[2]) << row[0];
}

TEST_F(DkimDnsTest, KeysAreNeverTakenFromASearchDomain)
{
    // With ndots:5 (Kubernetes' default) a key name has too few dots to be
    // asked as it is first. anything.test has a TXT record for every name;
    // the name that holds the key below example.com stands for bank.example.
    const std::vector<std::vector<std::string>> rows = {
        {"anything.test", "example.com", "pass"},
        {"example.com", "bank.example", "permerror: Permanent error fetching DNS"},
    };
    for (const auto& row : rows)
    {
        const std::string key = "peer._domainkey." + row[1];
        int asked = server->queries(key);
        EXPECT_EQ(verify("peer", "127.0.0.53", row[1], "search " + row[0] + "\noptions ndots:5\n"),
                  row[2])
            << row[0];
        // One query per key, and none under the search domain.
        EXPECT_EQ(server->queries(key), asked + 1) << row[0];
        EXPECT_EQ(server->queries(key + "." + row[0]), 0) << row[0];
    }
}

TEST_F(DkimDnsTest, ANameTooLongForDnsIsAPermanentError)
{
    EXPECT_EQ(verify(std::string(250, 'a').c_str()), "permerror: Permanent error fetching DNS");
}

} // namespace

TEST_F(DkimDnsTest, UnreadableResolverFilesAreATemporaryError)
{
    for (const char* path : {"/etc/resolv.conf", "/etc/hosts"})
    {
        Testing::Unreadable covered(path);
        EXPECT_EQ(verify("peer"), "temperror: Temporary exception fetching DNS") << path;
    }
}

TEST_F(DkimDnsTest, SeveralSignaturesWaitOneTimeOutTogether)
{
    // The scripted server keeps silent for names that start with "silent"
    // and knows no other; two attempts each.
    std::vector<std::string> names = {"silent1._domainkey.example.com",
                                      "silent2._domainkey.example.com"};
    std::string text = signedText({"silent1", "nx", "silent2"});
    Object message(text.data(), text.size());
    DkimSignatures signatures(message);
    ASSERT_EQ(signatures.size(), 3u);
    server->use("127.0.0.2", 2);
    size_t before = Testing::askedNames(names).size();
    Kestrava::Dns::Context context;
    AuthenticationResults results("relay.example");
    results.add(context, message, signatures);
    std::vector<std::string> asked = Testing::askedNames(names);
    // Each key once per attempt, both asked before either is asked again.
    ASSERT_EQ(asked.size(), before + 4);
    EXPECT_NE(asked[before], asked[before + 1]);
    std::vector<std::string> words;
    for (const AuthenticationResult& result : results.results)
        words.push_back(result.result + " " + result.reason);
    EXPECT_EQ(words, (std::vector<std::string>{"temperror Temporary exception fetching DNS",
                                               "permerror Permanent error fetching DNS",
                                               "temperror Temporary exception fetching DNS"}));
}

TEST_F(DkimDnsTest, VerdictsThatNeedNoKeyWaitForNoLookup)
{
    // No key makes an expired signature, or one over a message with two
    // From fields, pass: their verdicts stay permanent and come without
    // waiting for a silent name server.
    std::vector<std::string> names = {"silent1._domainkey.example.com",
                                      "silent2._domainkey.example.com"};
    std::string text = "From: a@example.com\r\nSubject: dns\r\n\r\nbody\r\n";
    Object expired(text.data(), text.size());
    Kestrava::OpenSSL::PrivateKey pem(keys->privatePem().c_str());
    ASSERT_TRUE(expired.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", "silent1"), 1,
                             false, Canonicalization(false, false)));
    server->use("127.0.0.2", 2);
    size_t before = Testing::askedNames(names).size();
    Kestrava::Dns::Context context;
    std::vector<std::string> words;
    for (const std::string& written :
         {expired.str(true), "From: b@example.com\r\n" + signedText({"silent2"})})
    {
        Object message(written.data(), written.size());
        AuthenticationResults results("relay.example");
        results.add(context, message, DkimSignatures(message));
        words.push_back(results.results.at(0).result + " " + results.results.at(0).reason);
        DkimSignature signature = Kestrava::Test::firstSignature(message);
        DkimStatus status(signature);
        status.initialize(context, message, signature);
        words.push_back(Kestrava::Test::verdict(status));
    }
    // Nor does a signature that does not read (v= twice).
    std::string twice = "DKIM-Signature: v=1; v=1; a=rsa-sha256; d=example.com; s=silent1; h=from;"
                        " bh=AA; b=AA\r\nFrom: a@example.com\r\n\r\nbody\r\n";
    Object unreadable(twice.data(), twice.size());
    AuthenticationResults results("relay.example");
    results.add(context, unreadable, DkimSignatures(unreadable));
    words.push_back(results.results.at(0).result + " " + results.results.at(0).reason);
    EXPECT_EQ(words, (std::vector<std::string>{"permerror Signature expired",
                                               "permerror: Signature expired",
                                               "permerror More than one From field",
                                               "permerror: More than one From field",
                                               "permerror Signature syntax error"}));
    EXPECT_EQ(Testing::askedNames(names).size(), before);
}
