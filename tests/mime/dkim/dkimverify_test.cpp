#include "mime/dkim/dkimstatus.h"

#include "mime/dkim/dkimsignature.h"
#include "mime/object.h"
#include "openssl/publickey.h"
#include "tests/mime/support/keyrecords.h"
#include "tests/mime/support/verdict.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kestrava::Mime;
using Kestrava::Test::crlf;
using Kestrava::Test::keyRecords;
using Kestrava::Test::vector;

namespace
{

/// The signed example of RFC 6376 with the tag list or the message edited.
class SignedExample
{
public:
    SignedExample() : text(vector("rfc6376.signed.rsa.msg")) {}
    void replace(const std::string& from, const std::string& to)
    {
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    /// Verifies the first signature with the record of the vectors, or
    /// with `record` in its place.
    std::string verify(const std::string& record = "") const
    {
        Object message(text.data(), text.size());
        DkimSignature signature = Kestrava::Test::firstSignature(message);
        DkimStatus status(signature);
        status.initialize(message, signature,
                          *keyRecords({record.empty() ? vector("test.txt") : record}));
        return Kestrava::Test::verdict(status);
    }
    std::string text;
};

const std::string keyOfVectors = vector("test.txt").substr(vector("test.txt").find("p=") + 2);

TEST(DkimVerifyTest, TheSignedExamplePassesWithLfOrCrLf)
{
    SignedExample example;
    EXPECT_EQ(example.verify(), "pass");
    example.text = crlf(example.text);
    EXPECT_EQ(example.verify(), "pass");
}

TEST(DkimVerifyTest, ChangesAreFoundWhereTheyAre)
{
    SignedExample body;
    body.replace("We lost", "We won");
    EXPECT_EQ(body.verify(), "fail: Body hash does not match");
    SignedExample subject;
    subject.replace("Is dinner ready?", "Is dinner ready!");
    EXPECT_EQ(subject.verify(), "fail: Header hash does not match");
    SignedExample unsigned_from;
    unsigned_from.replace("h=from : to", "h=to");
    unsigned_from.replace("message-id : from", "message-id");
    EXPECT_EQ(unsigned_from.verify(), "permerror: From field not signed");
    SignedExample expired;
    expired.replace("t=1527915362;", "t=1527915362; x=1527915400;");
    EXPECT_EQ(expired.verify(), "permerror: Signature expired");
    SignedExample lost;
    lost.replace("DKIM-Signature: v=1;", "DKIM-Signature: v=1; l=100000;");
    EXPECT_EQ(lost.verify(), "fail: Body hash does not match");
}

TEST(DkimVerifyTest, KeyRecordsAreCheckedTagByTag)
{
    SignedExample example;
    EXPECT_EQ(example.verify("v=DKIM1; k=RSA; p=" + keyOfVectors),
              "permerror: Only RSA keys are supported");
    EXPECT_EQ(example.verify("v=DKIM1; s=ftp; p=" + keyOfVectors),
              "permerror: DNS record does not support email");
    EXPECT_EQ(example.verify("v=DKIM1; h=sha1; p=" + keyOfVectors),
              "permerror: Algorithm key does not match signature");
    EXPECT_EQ(example.verify("v=DKIM1; k=rsa; p="), "permerror: DNS public key is empty");
    // Colon lists (RFC 6376 3.6.1), and a key with blanks in it.
    EXPECT_EQ(example.verify("v=DKIM1; h=sha1:sha256; s=email:*; p=" + keyOfVectors), "pass");
    std::string spaced = keyOfVectors;
    spaced.insert(40, " ").insert(10, "  ");
    EXPECT_EQ(example.verify("v=DKIM1; k=rsa; s=*; p=" + spaced), "pass");
    EXPECT_EQ(example.verify("v=DKIM1; p=AAAA"), "permerror: Unknown, caught exception");
}

TEST(DkimVerifyTest, RecordListsStopAtTheFirstPass)
{
    SignedExample example;
    Object message(example.text.data(), example.text.size());
    DkimSignature signature = Kestrava::Test::firstSignature(message);
    EXPECT_TRUE(signature.valid(message, *keyRecords({"v=DKIM1; k=RSA; p=x", vector("test.txt")})));
    DkimStatus status(signature);
    EXPECT_STREQ(status.initialize(message, signature,
                                   *keyRecords({vector("test.txt"), "v=DKIM1; k=RSA; p=x"})),
                 Status::pass);
    DkimStatus failing(signature);
    failing.initialize(message, signature, *keyRecords({"v=DKIM1; k=RSA; p=x", "v=DKIM1; p="}));
    EXPECT_STREQ(failing.reason, "DNS public key is empty");
    DkimStatus none(signature);
    EXPECT_STREQ(none.initialize(message, signature, *keyRecords({})), Status::permerror);
    EXPECT_EQ(none.reason, nullptr);
}

TEST(DkimVerifyTest, TheIdentityMustLieInTheSigningDomain)
{
    SignedExample example;
    example.replace("i=@football.example.com", "i=@badexample.com");
    EXPECT_EQ(example.verify(), "permerror: Invalid AUID");
    SignedExample suffix;
    suffix.replace("i=@football.example.com", "i=@xfootball.example.com");
    EXPECT_EQ(suffix.verify(), "permerror: Invalid AUID");
    // A subdomain is fine, but not under t=s; the edit breaks the hash.
    SignedExample below;
    below.replace("i=@football.example.com", "i=joe@sub.football.example.com");
    EXPECT_EQ(below.verify(), "fail: Header hash does not match");
    EXPECT_EQ(below.verify("v=DKIM1; t=y:s; p=" + keyOfVectors), "permerror: Invalid AUID");
}

TEST(DkimVerifyTest, OddSignatureValuesGiveAWordNeverAnException)
{
    SignedExample example;
    Object message(example.text.data(), example.text.size());
    Kestrava::OpenSSL::PublicKey key(keyOfVectors.c_str());
    for (const char* text : {"v=1; a=rsa-sha256; b=AAAA; bh=AAAA; d=a.b; s=x; h=to",
                             "v=1; a=ed25519-sha256; b=AAAA; bh=AAAA; d=a.b; s=x; h=from",
                             "v=1; a=rsa-sha256; c=odd/simple; b=AAAA; bh=AAAA; d=a.b; s=x; h=from",
                             "v=1; a=rsa-sha256; b=AAAA; bh=AAAA; d=a.b; s=x; h=from"})
    {
        DkimSignature signature(text, strlen(text), true, false);
        DkimStatus status(signature);
        const char* word = status.initialize(message, signature, key, false);
        EXPECT_TRUE(word == Status::permerror || word == Status::fail) << text;
        EXPECT_NE(status.reason, nullptr) << text;
    }
}

} // namespace
