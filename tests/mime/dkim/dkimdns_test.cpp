// Runs inside tests/dns/namespace.sh: port 53 and /etc/resolv.conf are ours.
#include "mime/dkim/dkimstatus.h"

#include "dns/blocking/context.h"
#include "mime/dkim/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "tests/mime/support/keyserver.h"
#include "tests/mime/support/peers.h"
#include "tests/mime/support/verdict.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace Kestrava::Mime;

namespace
{

/// dnsmasq on 127.0.0.53 serving the key of "peer" split over three
/// character-strings, and nothing else of example.com.
class DkimDnsTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Outside the namespace this would take over the machine's resolver.
        if (getenv("DNS_TEST_DIR") == nullptr) return;
        keys = new Kestrava::Test::PeerKeys();
        server = new Kestrava::Test::KeyServer("127.0.0.53", keys->publicBase64(),
                                               {"peer._domainkey.example.com"}, {"example.com"});
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

    /// Our word and reason for a message signed with the key as `selector`.
    std::string verify(const char* selector, const char* nameserver = "127.0.0.53")
    {
        std::string text = "From: a@example.com\r\nSubject: dns\r\n\r\nbody\r\n";
        Object message(text.data(), text.size());
        Kestrava::OpenSSL::PrivateKey pem(keys->privatePem().c_str());
        EXPECT_TRUE(message.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", selector),
                                 0, false, Canonicalization(false, false)));
        DkimSignature signature = Kestrava::Test::firstSignature(message);
        DkimStatus status(signature);
        server->use(nameserver);
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
}

TEST_F(DkimDnsTest, ANameTooLongForDnsIsAPermanentError)
{
    EXPECT_EQ(verify(std::string(250, 'a').c_str()), "permerror: Permanent error fetching DNS");
}

} // namespace
