#include "dns/blocking/context.h"
#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcpublickeys.h"
#include "mime/arc/arcsealsignature.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcstatus.h"
#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalizedbody.h"
#include "mime/header.h"
#include "mime/object.h"
#include "openssl/base64.h"
#include "openssl/privatekey.h"
#include "openssl/signature.h"
#include "tests/mime/support/keyrecords.h"
#include "tests/mime/support/peers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace Kestrava::Mime;

namespace
{

template <typename Value> std::string error(const std::string& text, bool check = true)
{
    try
    {
        Value value(text.data(), text.size(), check);
    }
    catch (const std::exception& failure)
    {
        return failure.what();
    }
    return "parsed";
}

std::string set(int i, const std::string& cv = "", const std::string& seal = "")
{
    std::string n = std::to_string(i);
    std::string chain = cv.empty() ? (i == 1 ? "none" : "pass") : cv;
    return "ARC-Seal: i=" + n + "; a=rsa-sha256; cv=" + chain + "; d=example.com; s=s; t=1; " +
           seal + "b=AAAA\r\nARC-Message-Signature: i=" + n +
           "; a=rsa-sha256; d=example.com; s=s; h=from; bh=AAAA; b=AAAA\r\n"
           "ARC-Authentication-Results: i=" +
           n + "; relay.example; spf=pass\r\n";
}

/// The error text of the chain of a message with these header lines.
std::string chainError(const std::string& lines)
{
    std::string text = lines + "From: a@example.com\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    ArcSignatures signatures(message);
    return signatures.error;
}

TEST(ArcValues, InstancesAndCompleteness)
{
    std::string noFields = "i=1; a=rsa-sha256; b=AAAA; bh=AAAA; d=example.com; s=s";
    EXPECT_EQ(error<ArcMessageSignature>(noFields), "header is incomplete");
    EXPECT_EQ(ArcMessageSignature(noFields.data(), noFields.size(), false).instance, 1);
    std::string aar = "i = 3 ; example.org; none";
    EXPECT_EQ(ArcAuthenticationResults(aar.data(), aar.size(), true).instance, 3);
    EXPECT_EQ(error<ArcAuthenticationResults>("x=3; example.org; none"),
              "Arc-Authentication-Results header does not start with i");
    EXPECT_EQ(error<ArcAuthenticationResults>("i=3 example.org; none"), "missing ;");
    AuthenticationResults none("example.org");
    EXPECT_EQ(ArcAuthenticationResults(2, none).str(true), "i=2;example.org; none");
}

TEST(ArcValues, TagsAsRfc8617ReadsThem)
{
    // Unknown tags are ignored and empty h= items skipped.
    std::string fields = "i=2; a=rsa-sha256; b=AA; bh=AA; d=example.com; s=s; h=from::to:; "
                         "zz=anything at all";
    ArcMessageSignature signature(fields.data(), fields.size(), true);
    EXPECT_EQ(signature.instance, 2);
    EXPECT_EQ(signature.headers().names, (std::vector<std::string>{"from", "to"}));
    EXPECT_EQ(error<ArcMessageSignature>(
                  "i=1; a=rsa-sha256; b=AA; bh=AA; d=example.com; s=s; h=from:arc-seal"),
              "header is incomplete");
    EXPECT_EQ(error<ArcSealSignature>("i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s"),
              "parsed");
    EXPECT_EQ(error<ArcSealSignature>("i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s; t="),
              "timestamp is invalid");
    EXPECT_EQ(
        error<ArcSealSignature>("i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s; h=from"),
        "header is incomplete");
    EXPECT_EQ(error<ArcSealSignature>("i=one; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s"),
              "arc header contains invalid instance identifier");
    EXPECT_EQ(error<ArcSealSignature>("i=; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s"),
              "arc header contains invalid instance identifier");

    // The message signature's DKIM tags fail it as they fail a DKIM
    // signature, before any key is fetched.
    for (auto tags : std::vector<std::pair<std::string, std::string>>{
             {"l=; ", "Signature syntax error"}, {"q=foo/bar; ", "Unsupported query method"}})
    {
        std::string text = set(1) + "From: a@example.com\r\n\r\nbody\r\n";
        text.insert(text.find("h=from"), tags.first);
        Object message(text.data(), text.size());
        ArcSignatures chain(message);
        EXPECT_EQ(ArcStatus::keylessFailure(message, chain, chain.signature), tags.second);
    }
}

TEST(ArcValues, ChainDefects)
{
    EXPECT_EQ(chainError(""), "");
    EXPECT_EQ(chainError(set(1) + set(2)), "");
    EXPECT_EQ(chainError(set(2) + set(1)), "");
    EXPECT_EQ(chainError(set(1) + set(2) + set(2)),
              "Could not determine ordering: two arc headers have the same istance identifier");
    EXPECT_EQ(chainError(set(1) + set(3)),
              "Could not determine ordering: we miss a header in the arc header set");
    for (int bad : {0, -1, 51})
        EXPECT_EQ(chainError(set(bad)),
                  "Could not determine ordering: arc header contains invalid instance identifier");
    EXPECT_EQ(chainError(set(1, "pass")), "Invalid arc-seal hop[1]: invalid cv");
    EXPECT_EQ(chainError(set(1, "None")), "");
    EXPECT_EQ(chainError(set(1) + set(2, "none")), "Invalid arc-seal hop[2]: invalid cv");
    std::string noFields = "ARC-Message-Signature: i=1; a=rsa-sha256; d=example.com; s=s; "
                           "bh=AAAA; b=AAAA\r\n";
    std::string first = set(1);
    first.replace(first.find("ARC-Message-Signature"),
                  first.find("ARC-Authentication") - first.find("ARC-Message-Signature"), noFields);
    // Only the newest message signature is checked: an older one without
    // fields orders like any other.
    EXPECT_EQ(chainError(set(2) + first), "");
    EXPECT_EQ(chainError(first), "Message signature invalid: header is incomplete");
    std::string missing = set(1);
    missing.replace(missing.find("i=1"), 4, "");
    EXPECT_NE(chainError(missing), "");

    std::string text = set(1) + set(2) + "From: a@example.com\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    ArcSignatures signatures(message);
    EXPECT_EQ(signatures.sets(), 2u);
    EXPECT_EQ(signatures.signature.instance, 2);
    ASSERT_EQ(signatures.seals.size(), 2u);
    EXPECT_EQ(signatures.seals[0].instance, 1);
}

TEST(ArcValues, ChainGrammarAsTheRfcsHaveIt)
{
    // Results as real sealers write them, which the strict results grammar
    // refuses, never break the order: the chain only needs their instance.
    for (const char* results : {"relay.example; spf=pass action=none",
                                "relay.example; dkim=pass header.d=example.com x-bits=2048",
                                "relay.example; spf=pass smtp.helo=[1.2.3.4]"})
    {
        std::string lines = set(1);
        size_t at = lines.find("relay.example; spf=pass");
        lines.replace(at, lines.find("\r\n", at) - at, results);
        EXPECT_EQ(chainError(lines), "") << results;
        std::string text = lines + "From: a@example.com\r\n\r\n";
        Object message(text.data(), text.size());
        message.unresign({"relay.example"});
        EXPECT_EQ(message.header.size(), 1u) << results;
    }
    // An empty tag-spec breaks a tag list; one ";" at the end does not.
    EXPECT_EQ(chainError(set(1, "", "x=1;;")), "Could not determine ordering: invalid tag list");
    EXPECT_EQ(chainError(set(1, "", "x=1; ;")), "Could not determine ordering: invalid tag list");
    EXPECT_EQ(error<ArcSealSignature>("i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s; "),
              "parsed");
    EXPECT_EQ(
        error<ArcSealSignature>("i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s;;", false),
        "parsed");

    // A message of no header line has no chain, and no keys to fetch.
    Object headless("\r\nbody\r\n", 8);
    ArcSignatures signatures(headless);
    EXPECT_EQ(signatures.error, "");
    EXPECT_EQ(signatures.sets(), 0u);
    Kestrava::Dns::Context context;
    ArcPublicKeys keys(context, signatures);
    EXPECT_TRUE(keys.fetched.empty() && keys.failed.empty());
    EXPECT_EQ(ArcStatus(headless, signatures, keys).result, ArcStatus::cvnone);
}

TEST(ArcValues, AMessageSignatureWithoutCanonicalizationIsSimple)
{
    // Blanks that relaxed body canonicalisation would fold: only simple
    // hashes what was signed here.
    std::string body = "body  \r\n";
    std::string hash =
        BodyHash(CanonicalizedBody(String(body.data(), body.size()), true), Algorithm("rsa-sha256"))
            .text;
    std::string value = "i=1; a=rsa-sha256; d=example.com; s=peer; h=From; bh=" + hash + "; b=";
    std::string signedText = "From:  a@example.com\r\nARC-Message-Signature: " + value;
    const Kestrava::Test::PeerKeys& keys = Kestrava::Test::sharedPeerKeys();
    Kestrava::OpenSSL::PrivateKey pem(keys.privatePem().c_str());
    Kestrava::OpenSSL::Signature signature(pem.key(), signedText.data(), signedText.size(),
                                           "sha256");
    value += Kestrava::OpenSSL::Base64::encode(signature.data(), signature.size(), false);
    std::string text =
        "ARC-Message-Signature: " + value + "\r\nFrom:  a@example.com\r\n\r\n" + body;
    Object message(text.data(), text.size());
    ArcMessageSignature parsed(value.data(), value.size(), true);
    ArcMessageStatus status;
    auto records = Kestrava::Test::keyRecords({"v=DKIM1; k=rsa; p=" + keys.publicBase64()});
    EXPECT_EQ(status.initialize(message, parsed, *records), Status::pass)
        << (status.reason ? status.reason : "");
}

TEST(TypedFields, ValidSetAndAppend)
{
    std::string from = "From: not an address <\r\n";
    EXPECT_FALSE(Line(from.data(), from.size()).valid());
    std::string other = "X-Anything: not an address <\r\n";
    EXPECT_TRUE(Line(other.data(), other.size()).valid());
    std::string seal = "ARC-Seal: i=1; a=rsa-sha256; b=AA; cv=none; d=example.com; s=s\r\n";
    EXPECT_TRUE(Line(seal.data(), seal.size()).valid());

    Header header;
    header.set("content-type", "text/plain; charset=utf-8");
    header.append("content-type", "text/html");
    header.set("content-transfer-encoding", "x-unknown");
    std::string text = header.str(true);
    EXPECT_NE(text.find("Content-Type: text/plain; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(text.find("content-type: text/html\r\n"), std::string::npos);
    EXPECT_NE(text.find("content-transfer-encoding: x-unknown\r\n"), std::string::npos);
}

TEST(TypedFields, UnparsableContentTypeIsWrittenRaw)
{
    std::string text = "Content-Type: ;;; \xff broken\r\n\r\n";
    Object::ExtHeader header(text.data(), text.size());
    std::string written = header.str(false);
    EXPECT_EQ(written.substr(0, written.find("\r\n") + 2), "Content-Type: ;;; \xff broken\r\n");
}

} // namespace
