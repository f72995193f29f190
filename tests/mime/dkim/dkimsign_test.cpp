#include "mime/dkim/dkimheader.h"

#include "dns/blocking/context.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/dkim/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "openssl/publickey.h"
#include "tests/mime/support/keyrecords.h"
#include "tests/mime/support/peers.h"
#include "tests/mime/support/verdict.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kestrava::Mime;
using Kestrava::Test::Peer;
using Kestrava::Test::PeerKeys;

namespace
{

const PeerKeys& keys()
{
    return Kestrava::Test::sharedPeerKeys();
}

const Canonicalization relaxed(false, false);

/// Writes "key.pem" and "pub.pem" of a P-521 key into `ec`.
void makeEcKeyPair(const Kestrava::OpenSSL::Test::Scratch& ec)
{
    ASSERT_EQ(Kestrava::OpenSSL::Test::runShell(
                  "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-521 -out " +
                  ec.path("key.pem") + " && openssl pkey -in " + ec.path("key.pem") +
                  " -pubout -out " + ec.path("pub.pem")),
              0);
}

class Signer
{
public:
    Signer() : pem(keys().privatePem().c_str()) {}
    DkimKey key(const char* selector = "peer", const char* algorithm = "rsa-sha256")
    {
        return DkimKey(pem.key(), "example.com", selector, algorithm);
    }
    Kestrava::OpenSSL::PrivateKey pem;
};

std::vector<DkimSignature> signatures(const Object& message)
{
    std::vector<DkimSignature> found;
    for (const Value& value : message.header.all("dkim-signature"))
        found.emplace_back(value.data, value.size, true, false);
    return found;
}

std::string verify(const Object& message, const DkimSignature& signature)
{
    return Kestrava::Test::verifyWith(message, signature, keys().publicBase64());
}

TEST(DkimSignTest, FieldsAreTakenBottomUpOncePerInstance)
{
    std::string text = "Received: upper\r\nReceived: lower\r\nFrom: a@example.com\r\n"
                       "X-Other: not signed\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    Signer signer;
    ASSERT_TRUE(
        message.sign(Capabilities::utf8(), signer.key(), {"received", "from"}, 0, false, relaxed));
    DkimSignature signature = signatures(message).at(0);
    EXPECT_EQ(signature.headers().names,
              (std::vector<std::string>{"From", "Received", "Received", "From"}));
    EXPECT_TRUE(signature.expiration().empty());
    EXPECT_FALSE(signature.report());
    EXPECT_EQ(verify(message, signature), "pass");
    EXPECT_EQ(message.header.line(0).key().copy(), "DKIM-Signature");

    // Folding: b= starts with 72 characters, continues in lines of 74.
    std::string line(message.header.line(0).data, message.header.line(0).size);
    size_t b = line.find("\r\n b=");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(line.find("\r\n", b + 2) - (b + 5), 72u);
    size_t second = line.find("\r\n", b + 2) + 3;
    EXPECT_EQ(line.find("\r\n", second) - second, 74u) << line;
    for (size_t at = 0, next; (next = line.find("\r\n", at)) != std::string::npos; at = next + 2)
        EXPECT_LE(next - at, 78u) << line;
}

TEST(DkimSignTest, SigningAgainReplacesOnlyTheSameKeysSignature)
{
    std::string text = "From: a@example.com\r\nTo: b@example.net\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    Signer signer;
    DkimKey other = signer.key("other");
    DkimKey key = signer.key();
    ASSERT_TRUE(message.sign(Capabilities::utf8(), other, 0, false, relaxed));
    ASSERT_TRUE(message.sign(Capabilities::utf8(), key, 2000000000, true, relaxed));
    ASSERT_TRUE(message.sign(Capabilities::utf8(), key, {"dkim-signature"}, 0, false, relaxed));
    std::vector<DkimSignature> found = signatures(message);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].selector(), "peer");
    EXPECT_EQ(found[1].selector(), "other");
    // The new one covers the other key's signature, never the one it replaced.
    EXPECT_EQ(found[0].headers().names,
              (std::vector<std::string>{"To", "From", "DKIM-Signature", "From"}));
    EXPECT_EQ(verify(message, found[0]), "pass");
    EXPECT_EQ(keys().verify(Peer::dkimpy, message.str(true)), "pass");

    message.unsign(key);
    message.unsign(other);
    EXPECT_TRUE(signatures(message).empty());
    EXPECT_EQ(message.str(true), text);
}

TEST(DkimSignTest, FailuresLeaveTheMessageAsItWas)
{
    std::string text = "To: b@example.net\r\nFrom:\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    Signer signer;
    EXPECT_FALSE(message.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    std::string fromless = "To: b@example.net\r\n\r\nbody\r\n";
    Object noFrom(fromless.data(), fromless.size());
    EXPECT_FALSE(noFrom.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    EXPECT_EQ(noFrom.str(true), fromless);
    std::string good = "From: a@example.com\r\n\r\nbody\r\n";
    Object unknown(good.data(), good.size());
    EXPECT_FALSE(
        unknown.sign(Capabilities::utf8(), signer.key("peer", "rsa-md5"), 0, false, relaxed));
    EXPECT_FALSE(unknown.sign(Capabilities::utf8(), signer.key("peer", "ed25519-sha256"), 0, false,
                              relaxed));
    EXPECT_EQ(unknown.str(true), good);
}

TEST(DkimSignTest, LengthLimitedSignaturesCoverWhatTheySay)
{
    std::string text = "From: a@example.com\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    Signer signer;
    ASSERT_TRUE(message.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    std::string hash = signatures(message).at(0).hash();
    // l=0 covers no bytes: the digest of nothing matches whatever the body
    // says, so only the edited tag list fails.
    std::string edited = message.str(true);
    edited.replace(edited.find("bh=" + hash), 3 + hash.size(),
                   "l=0; bh=47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
    Object received(edited.data(), edited.size());
    EXPECT_EQ(verify(received, signatures(received).at(0)), "fail: Header hash does not match");
}

TEST(DkimSignTest, RelaxedHeadersFoldOnlyBlanksAndTabs)
{
    std::string text = "From: a@example.com\r\nSubject: Hello World\r\n\r\nbody\r\n";
    Object message(text.data(), text.size());
    Signer signer;
    ASSERT_TRUE(message.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    std::string written = message.str(true);
    EXPECT_EQ(verify(Object(written.data(), written.size()), signatures(message).at(0)), "pass");
    // A vertical tab or form feed is no white space to DKIM: the field
    // shows another text than the one signed.
    for (const char* other : {"Hello\vWorld", "Hello\fWorld", "Hello World\f"})
    {
        std::string edited = written;
        edited.replace(edited.find("Hello World"), 11, other);
        Object received(edited.data(), edited.size());
        EXPECT_EQ(verify(received, signatures(received).at(0)), "fail: Header hash does not match")
            << other;
    }
}

TEST(DkimSignTest, ShortKeysEcKeysAndEd25519GivePermanentErrors)
{
    std::string text = "From: a@example.com\r\nSubject: x\r\n\r\nbody\r\n";
    // Bits count, not bytes: 1020 bits fill 128 bytes.
    for (int bits : {512, 1020})
    {
        PeerKeys small(bits);
        std::string signedText = small.sign(Peer::dkimpy, text, "relaxed/relaxed", "rsa-sha256");
        Object message(signedText.data(), signedText.size());
        DkimSignature signature = signatures(message).at(0);
        DkimStatus status(signature);
        EXPECT_STREQ(
            status.initialize(message, signature, *Kestrava::Test::keyRecords({small.record()})),
            Status::permerror);
        EXPECT_STREQ(status.reason, "Key too short: RSA keys must have at least 1024 bits");
    }

    // An rsa-sha256 signature never passes with an EC key, though one of
    // P-521 has as many bytes as an RSA key of 1024 bits.
    Kestrava::OpenSSL::Test::Scratch ec;
    makeEcKeyPair(ec);
    Object ecMessage(text.data(), text.size());
    Signer signer;
    ASSERT_TRUE(ecMessage.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    DkimSignature ecSignature = signatures(ecMessage).at(0);
    EXPECT_EQ(Kestrava::Test::verifyWith(ecMessage, ecSignature, ec.read("pub.pem")),
              "permerror: Only RSA keys are supported");

    // A message signed with ed25519 and with RSA passes on its RSA signature.
    std::string data = "/usr/lib/python3/dist-packages/dkim/tests/data/";
    std::string script =
        "import dkim,sys\nm=sys.stdin.buffer.read()\n"
        "k=open('" +
        data +
        "ed25519test.key','rb').read()\n"
        "s=dkim.sign(m,b'ed',b'example.com',k,signature_algorithm=b'ed25519-sha256')\n"
        "sys.stdout.buffer.write(s+m)\n";
    Kestrava::OpenSSL::Test::Scratch scratch;
    scratch.write("sign.py", script);
    scratch.write("in.msg", text);
    ASSERT_EQ(Kestrava::OpenSSL::Test::runShell("/usr/bin/python3 " + scratch.path("sign.py") +
                                                " < " + scratch.path("in.msg") + " > " +
                                                scratch.path("out.msg")),
              0);
    std::string both = Kestrava::Test::crlf(scratch.read("out.msg"));
    Object twice(both.data(), both.size());
    ASSERT_TRUE(twice.sign(Capabilities::utf8(), signer.key(), 0, false, relaxed));
    std::string written = twice.str(true);
    Object received(written.data(), written.size());
    std::vector<DkimSignature> found = signatures(received);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(verify(received, found[0]), "pass");
    EXPECT_EQ(verify(received, found[1]), "permerror: Unknown, caught exception");
    DkimStatus ed(found[1]);
    EXPECT_STREQ(
        ed.initialize(received, found[1],
                      *Kestrava::Test::keyRecords({Kestrava::Test::vector("ed25519test.dns")})),
        Status::permerror);
    EXPECT_STREQ(ed.reason, "Only RSA keys are supported");
}

TEST(DkimSignTest, KeysThatNoVerifierTrustsMakeNoSignature)
{
    // What verifiers refuse to trust is no signature: DKIM signing and ARC
    // sealing fail instead of writing one.
    std::string text = "From: a@example.com\r\nSubject: x\r\n\r\nbody\r\n";
    PeerKeys small(1020);
    Kestrava::OpenSSL::PrivateKey shortKey(small.privatePem().c_str());
    Kestrava::OpenSSL::Test::Scratch ec;
    makeEcKeyPair(ec);
    Kestrava::OpenSSL::PrivateKey ecKey(ec.read("key.pem").c_str());
    std::string value = "relay.example; spf=pass smtp.mailfrom=a@example.com";
    AuthenticationResults results(value.data(), value.size(), true);
    Kestrava::Dns::Context context;
    for (EVP_PKEY* refused : {shortKey.key(), ecKey.key()})
    {
        DkimKey key(refused, "example.com", "peer");
        Object message(text.data(), text.size());
        EXPECT_FALSE(message.sign(Capabilities::utf8(), key, 0, false, relaxed));
        EXPECT_FALSE(message.resign(context, Capabilities::utf8(), key, results, 0, false));
        EXPECT_EQ(message.str(true), text);
    }
}

} // namespace

namespace
{

TEST(HeaderSortTest, LinesMoveOnlyAmongTheirOwnPlaces)
{
    std::string text =
        "DKIM-Signature: v=1; a=rsa-sha256; d=b.example; s=s; h=from; bh=AA; b=BB\r\n"
        "X: 2\r\nDKIM-Signature: broken\r\nX: 1\r\n"
        "DKIM-Signature: v=1; a=rsa-sha256; d=a.example; s=s; h=from; bh=AA; b=BB\r\n"
        "From: a@example.com\r\n\r\n";
    Object message(text.data(), text.size());
    message.header.sort(Key("x"), [](const Value& first, const Value& second)
                        { return first.copy() < second.copy(); });
    message.header.sort([](const DkimSignature& first, const DkimSignature& second)
                        { return first.domain() < second.domain(); });
    std::vector<std::string> lines;
    for (const Line& line : message.header)
        lines.push_back(line.key().copy() + ":" + line.value().copy().substr(0, 30));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"DKIM-Signature:v=1; a=rsa-sha256; d=a.example", "X:1",
                                        "DKIM-Signature:v=1; a=rsa-sha256; d=b.example", "X:2",
                                        "DKIM-Signature:broken", "From:a@example.com"}));
    message.header.sort([](const Line& first, const Line& second)
                        { return first.key().size < second.key().size; });
    EXPECT_EQ(message.header.line(0).key().copy(), "X");
}

} // namespace

namespace
{

TEST(DkimReceivedTest, MessagesThatDoNotWriteBackTheSameStillVerify)
{
    // No closing delimiter, a delimiter with trailing text and no last
    // line break: what is hashed is what came, not what the model would
    // write.
    std::string text = "From: a@example.com\nSubject: open\nMIME-Version: 1.0\n"
                       "Content-Type: multipart/mixed; boundary=ab\n\n"
                       "--ab\nContent-Type: text/plain\n\nfirst\n--ab junk\nsecond";
    for (const char* method : {"simple/simple", "relaxed/relaxed"})
    {
        std::string signedText = keys().sign(Peer::dkimpy, text, method, "rsa-sha256");
        Object message(signedText.data(), signedText.size());
        EXPECT_NE(message.str(true), signedText);
        EXPECT_EQ(verify(message, Kestrava::Test::firstSignature(message)), "pass") << method;
    }
}

} // namespace
