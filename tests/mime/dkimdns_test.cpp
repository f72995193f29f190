// Runs inside tests/dns/namespace.sh: port 53 and /etc/resolv.conf are ours.
#include "mime/dkimstatus.h"

#include "dns/blocking/context.h"
#include "mime/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkimkey.h"
#include "mime/dkimsignature.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "tests/mime/support/peers.h"
#include "tests/mime/support/verdict.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

using namespace Kestrava::Mime;
using Kestrava::OpenSSL::Test::Process;
using Kestrava::OpenSSL::Test::Scratch;

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
        scratch = new Scratch();
        scratch->write("resolv.conf", "options timeout:1 attempts:1\n");
        ASSERT_EQ(mount(scratch->path("resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND,
                        nullptr),
                  0);
        std::string key = keys->publicBase64();
        // dnsmasq cuts the record into character-strings at the commas.
        std::string record =
            "peer._domainkey.example.com,v=DKIM1; k=rsa; ,p=" + key.substr(0, 200) + "," +
            key.substr(200);
        dnsmasq = new Process({"/usr/sbin/dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null",
                               "--no-resolv", "--no-hosts", "--bind-interfaces",
                               "--listen-address=127.0.0.53", "--port=53", "--user=root",
                               "--pid-file=", "--local=/example.com/", "--txt-record=" + record},
                              scratch->path("dnsmasq.log"));
        for (int i = 0; i < 100 && Kestrava::OpenSSL::Test::runShell(
                                       "ss -Hlun 'sport = :53' | grep -q 127.0.0.53") != 0;
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    void SetUp() override
    {
        if (dnsmasq == nullptr) FAIL() << "run through tests/dns/namespace.sh";
    }

    static void TearDownTestSuite()
    {
        if (dnsmasq == nullptr) return;
        delete dnsmasq;
        umount("/etc/resolv.conf");
        delete scratch;
        delete keys;
    }

    /// Our word and reason for a message signed with the key as `selector`.
    std::string verify(const char* selector, const char* server = "127.0.0.53")
    {
        std::string text = "From: a@example.com\r\nSubject: dns\r\n\r\nbody\r\n";
        Object message(text.data(), text.size());
        Kestrava::OpenSSL::PrivateKey pem(keys->privatePem().c_str());
        EXPECT_TRUE(message.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", selector),
                                 0, false, Canonicalization(false, false)));
        DkimSignature signature = Kestrava::Test::firstSignature(message);
        DkimStatus status(signature);
        // An empty resolv.conf would mean 127.0.0.1, where the namespace's
        // own dnsmasq answers: the server asked is the only one named.
        scratch->write("resolv.conf",
                       std::string("nameserver ") + server + "\noptions timeout:1 attempts:1\n");
        Kestrava::Dns::Context context;
        status.initialize(context, message, signature);
        return Kestrava::Test::verdict(status);
    }

    static Kestrava::Test::PeerKeys* keys;
    static Scratch* scratch;
    static Process* dnsmasq;
};

Kestrava::Test::PeerKeys* DkimDnsTest::keys = nullptr;
Scratch* DkimDnsTest::scratch = nullptr;
Process* DkimDnsTest::dnsmasq = nullptr;

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
