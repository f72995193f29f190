#include "mime/dkim/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "openssl/publickey.h"
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
    return Kestrava::Test::verifyWith(message, Kestrava::Test::firstSignature(message),
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

} // namespace
