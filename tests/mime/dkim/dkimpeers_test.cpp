#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalization.h"
#include "mime/dkim/canonicalizedbody.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimsignatures.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "openssl/base64.h"
#include "openssl/privatekey.h"
#include "openssl/publickey.h"
#include "openssl/signature.h"
#include "tests/mime/support/messages.h"
#include "tests/mime/support/peers.h"
#include "tests/mime/support/verdict.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace Kestrava::Mime;
using Kestrava::Test::dkimMessages;
using Kestrava::Test::Peer;
using Kestrava::Test::PeerKeys;

namespace
{

const PeerKeys& keys()
{
    return Kestrava::Test::sharedPeerKeys();
}

/// Our word for the first signature of the text, with its reason.
std::string verify(const std::string& text)
{
    Object message(text.data(), text.size());
    return Kestrava::Test::verifyWith(message, DkimSignatures(message).at(0),
                                      keys().publicBase64());
}

/// The message signed by us and written for the capabilities.
std::string sign(const std::string& text, const Canonicalization& canonicalization,
                 const Capabilities& capabilities, const char* algorithm = "rsa-sha256")
{
    Object message(text.data(), text.size());
    Kestrava::OpenSSL::PrivateKey pem(keys().privatePem().c_str());
    DkimKey key(pem.key(), "example.com", "peer", algorithm);
    EXPECT_TRUE(message.sign(capabilities, key, 0, false, canonicalization));
    return message.str(capabilities.allowsUtf8);
}

/// The message signed by us, relaxed, also covering DKIM-Signature.
std::string signWith(const std::string& text, bool report, bool twice)
{
    Object message(text.data(), text.size());
    Kestrava::OpenSSL::PrivateKey pem(keys().privatePem().c_str());
    DkimKey key(pem.key(), "example.com", "peer", "rsa-sha256", report);
    EXPECT_TRUE(message.sign(Capabilities::utf8(), key, {"dkim-signature"}, 0, twice,
                             Canonicalization(false, false)));
    return message.str(true);
}

/// The text with `insert` put before the first `before`.
std::string inserted(std::string text, const std::string& before, const std::string& insert)
{
    return text.insert(text.find(before), insert);
}

/// The tag names of the first signature as the text has them.
std::vector<std::string> tagOrder(const std::string& text)
{
    Object message(text.data(), text.size());
    std::string value = message.header.get("dkim-signature").copy();
    std::vector<std::string> names;
    for (size_t start = 0; start < value.size(); start = value.find(';', start) + 1)
    {
        size_t end = value.find('=', start);
        std::string name = value.substr(start, end - start);
        name.erase(0, name.find_first_not_of(" \t\r\n"));
        names.push_back(name.substr(0, name.find_first_of(" \t\r\n")));
        if (value.find(';', start) == std::string::npos) break;
    }
    return names;
}

/// The same of the signature as we write it back.
std::vector<std::string> writtenOrder(const std::string& text)
{
    Object message(text.data(), text.size());
    return tagOrder("DKIM-Signature: " + Kestrava::Test::firstSignature(message).str(true) +
                    "\r\n\r\n");
}

/// A message whose signature holds `tags` after v=1 (unless they give v=),
/// a= and c=, signed by hand with the shared key over relaxed headers:
/// tags that no signer writes. "BH" in `tags` stands for the hash of no
/// bytes; without it bh= is that of the whole simple body.
std::string handSigned(std::string tags, const std::string& body)
{
    std::string version = tags.rfind("v=", 0) == 0 ? "" : "v=1; ";
    CanonicalizedBody canonical(String(body.data(), body.size()), true);
    std::string bodyHash = BodyHash(canonical, Algorithm("rsa-sha256")).text;
    size_t placeholder = tags.find("BH");
    if (placeholder != std::string::npos)
        tags.replace(placeholder, 2, "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
    else
        tags += " bh=" + bodyHash + ";";
    std::string value = version + "a=rsa-sha256; c=relaxed/simple; " + tags +
                        " d=example.com; s=peer; h=from:subject; b=";
    std::string head = "From: Joe <joe@example.com>\r\nSubject: pay\r\n";
    std::string signedText = "from:Joe <joe@example.com>\r\nsubject:pay\r\ndkim-signature:" + value;
    Kestrava::OpenSSL::PrivateKey pem(keys().privatePem().c_str());
    Kestrava::OpenSSL::Signature signature(pem.key(), signedText.data(), signedText.size(),
                                           "sha256");
    value += Kestrava::OpenSSL::Base64::encode(signature.data(), signature.size(), false);
    return "DKIM-Signature: " + value + "\r\n" + head + "\r\n" + body;
}

struct PeerCase
{
    const char* tags;
    const char* ours;
    bool peerPasses;
    Peer peer = Peer::dkimpy;
};

/// Our verdict and the peer's on hand-signed messages.
void expectVerdicts(std::initializer_list<PeerCase> cases, const std::string& body = "Pay.\r\n")
{
    for (const PeerCase& test : cases)
    {
        SCOPED_TRACE(test.tags);
        std::string message = handSigned(test.tags, body);
        EXPECT_EQ(verify(message), test.ours);
        EXPECT_EQ(keys().verify(test.peer, message) == "pass", test.peerPasses);
    }
}

Canonicalization parse(const std::string& text)
{
    return Canonicalization(text.rfind("simple", 0) == 0,
                            text.find("/simple") != std::string::npos);
}

class DkimPeerTest : public testing::TestWithParam<std::tuple<Peer, const char*>>
{
};

TEST_P(DkimPeerTest, SignaturesPassBothWays)
{
    Peer peer = std::get<0>(GetParam());
    std::string canonicalization = std::get<1>(GetParam());
    for (size_t i = 0; i < dkimMessages().size(); ++i)
    {
        const std::string& text = dkimMessages()[i];
        for (const char* algorithm : {"rsa-sha256", "rsa-sha1"})
        {
            std::string theirs = keys().sign(peer, text, canonicalization, algorithm);
            EXPECT_EQ(verify(theirs), "pass") << algorithm << " of message " << i;
            EXPECT_EQ(writtenOrder(theirs), tagOrder(theirs)) << algorithm << " of message " << i;
        }
        // The 8-bit Subject goes out encoded for a 7-bit receiver.
        const Capabilities& capabilities = i == 3 ? Capabilities::standard() : Capabilities::utf8();
        std::string ours = sign(text, parse(canonicalization), capabilities);
        EXPECT_EQ(keys().verify(peer, ours), "pass") << "message " << i << "\n" << ours;
    }
}

INSTANTIATE_TEST_SUITE_P(Peers, DkimPeerTest,
                         testing::Combine(testing::Values(Peer::dkimpy, Peer::mailDkim,
                                                          Peer::opendkim),
                                          testing::Values("simple/simple", "simple/relaxed",
                                                          "relaxed/simple", "relaxed/relaxed")),
                         [](const testing::TestParamInfo<DkimPeerTest::ParamType>& info)
                         {
                             std::string name = Kestrava::Test::name(std::get<0>(info.param));
                             std::string method = std::get<1>(info.param);
                             return name + "_" + method.replace(method.find('/'), 1, "_");
                         });

TEST(DkimSelfTest, Sha512AndEveryCanonicalisationPassWithOurselves)
{
    for (const char* method :
         {"simple/simple", "simple/relaxed", "relaxed/simple", "relaxed/relaxed"})
        for (const std::string& text : dkimMessages())
            EXPECT_EQ(verify(sign(text, parse(method), Capabilities::utf8(), "rsa-sha512")), "pass")
                << method;
}

TEST(DkimPeerTest, VerdictsAgreeWithThePeers)
{
    const std::string head = "From: Joe <joe@example.com>\r\nTo: Suzie <suzie@example.net>\r\n";
    const std::string invoice = head + "Subject: invoiceFrom: CEO <ceo@bank.example>\r\n\r\nPay.\r\n";
    const std::string list = "DKIM-Signature: v=1; a=rsa-sha256; d=list.example; s=a; h=from; "
                             "bh=AAAA; b=AAAA\r\nList-Id: <a.list.example>\r\n"
                             "DKIM-Signature: v=1; a=rsa-sha256; d=author.example; s=b; h=from; "
                             "bh=AAAA; b=AAAA\r\n" +
                             head + "Subject: hi\r\n\r\nHi.\r\n";
    const std::string plain = head + "Subject: hi\r\n\r\nHi.\r\n";
    struct Case
    {
        const char* name;
        std::string message;
        std::string ours;
        bool peersPass;
    };
    const Case cases[] = {
        // A bare CR ends a line, as Python's email reads it: the From slipped
        // into the signed Subject is a second From field.
        {"bare CR in a signed value",
         inserted(keys().sign(Peer::dkimpy, invoice, "relaxed/relaxed", "rsa-sha256"),
                  "From: CEO", "\r"),
         "permerror: More than one From field", false},
        {"r=y and an unknown tag", signWith(plain, true, false), "pass", true},
        {"over-signed names that recur", signWith(list, false, true), "pass", true},
        {"From added above our signature",
         "From: CEO <ceo@bank.example>\r\n" + signWith(plain, false, false),
         "permerror: More than one From field", false},
        {"From added above an over-signed signature",
         inserted(signWith(plain, false, true), "To: Suzie", "From: CEO <ceo@bank.example>\r\n"),
         "permerror: More than one From field", false},
        {"To added to an over-signed signature",
         inserted(signWith(plain, false, true), "To: Suzie", "To: mallory@example.org\r\n"),
         "fail: Header hash does not match", false},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(verify(test.message), test.ours) << test.message;
        EXPECT_EQ(keys().verify(Peer::dkimpy, test.message) == "pass", test.peersPass);
        EXPECT_EQ(keys().verify(Peer::mailDkim, test.message) == "pass", test.peersPass);
    }
}

TEST(DkimPeerTest, VersionsOtherThanOneArePermanentErrors)
{
    expectVerdicts({{"v=1;", "pass", true},
                    {"v=2;", "permerror: Incompatible version", false},
                    {"v=01;", "permerror: Incompatible version", false}});
}

TEST(DkimPeerTest, EmptyOrContradictoryNumbersArePermanentErrors)
{
    // The hash of no bytes: an empty l= must not read as l=0, which would
    // let any body follow.
    expectVerdicts({{"l=0; bh=BH;", "pass", true},
                    {"l=; bh=BH;", "permerror: Signature syntax error", false},
                    {"l= ; bh=BH;", "permerror: Signature syntax error", false}},
                   "Pay Mallory.\r\n");
    // An expiry must follow the signing time (RFC 6376 3.5); a timestamp
    // in the future is no error (dkimpy refuses it).
    expectVerdicts({{"t=;", "permerror: Signature syntax error", false},
                    {"x=;", "permerror: Signature syntax error", false},
                    {"t=4000000000; x=4000000001;", "pass", true, Peer::mailDkim},
                    {"t=4000000000; x=4000000000;", "permerror: Signature syntax error", false},
                    {"t=4000000000; x=3999999999;", "permerror: Signature syntax error", false},
                    {"t=1700000000; x=1600000000;", "permerror: Signature expired", false}});
}

TEST(DkimPeerTest, TagListsThatDoNotReadArePermanentErrors)
{
    // A tag given twice (RFC 6376 3.2) or a value outside its grammar: the
    // signature is still there, so the verdict is no "none".
    expectVerdicts({{"v=1; v=1;", "permerror: Signature syntax error", false},
                    {"l=0; l=0; bh=BH;", "permerror: Signature syntax error", false},
                    {"v=1.0;", "permerror: Signature syntax error", false},
                    {"l=+0; bh=BH;", "permerror: Signature syntax error", false},
                    {"l=-1;", "permerror: Signature syntax error", false},
                    {"t=17a;", "permerror: Signature syntax error", false},
                    {"x=-4000000000;", "permerror: Signature syntax error", false},
                    {"1x=y;", "permerror: Signature syntax error", false}});
}

TEST(DkimPeerTest, QueryMethodsWithoutDnsTxtArePermanentErrors)
{
    expectVerdicts({{"q=dns/txt;", "pass", true},
                    // Unknown methods are passed over (RFC 6376 3.5), which
                    // dkimpy does not do.
                    {"q=foo/bar:dns/txt;", "pass", true, Peer::mailDkim},
                    {"q=foo/bar;", "permerror: Unsupported query method", false},
                    {"q=dns;", "permerror: Unsupported query method", false},
                    {"q=dns/txt2;", "permerror: Unsupported query method", false}});
}

} // namespace
