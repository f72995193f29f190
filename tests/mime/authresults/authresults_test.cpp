#include "dns/spfstatus.h"
#include "mime/arc/arcsealorder.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/header.h"
#include "mime/line.h"
#include "mime/object.h"
#include "tests/filter/support/python.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

using namespace Kestrava::Mime;

namespace
{

AuthenticationResults parsed(const std::string& text, bool strict = true)
{
    return AuthenticationResults(text.data(), text.size(), strict);
}

std::string error(const std::string& text, bool strict = true)
{
    try
    {
        parsed(text, strict);
    }
    catch (const std::runtime_error& failure)
    {
        return failure.what();
    }
    return "parsed";
}

/// What python3-authres reads: one line per result, method, result,
/// reason and the properties sorted.
std::string authres(const std::string& value)
{
    std::string module = "import authres\n"
                         "def apply(data):\n"
                         "    h = authres.AuthenticationResultsHeader.parse("
                         "'Authentication-Results: ' + data.decode())\n"
                         "    out = ''\n"
                         "    for r in h.results:\n"
                         "        props = sorted('%s.%s=%s' % (p.type, p.name, p.value)"
                         " for p in r.properties)\n"
                         "        out += '%s %s %s %s\\n' % (r.method, r.result, r.reason or '',"
                         " ' '.join(props))\n"
                         "    return out.encode()\n";
    return Kestrava::Filter::Check::python(module, value);
}

std::string ours(const AuthenticationResults& results)
{
    std::string lines;
    for (const AuthenticationResult& result : results.results)
    {
        std::vector<std::string> props;
        for (const AuthenticationProperty& property : result.properties)
            props.push_back(property.ptype + "." + property.property + "=" +
                            (property.kind == 2   ? property.localPart + "@" + property.domain
                             : property.kind == 1 ? property.value
                                                  : property.text));
        std::sort(props.begin(), props.end());
        std::string joined;
        for (const std::string& prop : props)
            joined += (joined.empty() ? "" : " ") + prop;
        lines += result.method + " " + result.result + " " + result.reason + " " + joined + "\n";
    }
    return lines;
}

TEST(AuthenticationResults, NoneVersionAndErrors)
{
    EXPECT_EQ(parsed("example.org; none").str(true), "example.org; none");
    EXPECT_EQ(parsed("example.org; NONE").results.size(), 0u);
    EXPECT_EQ(error("example.org none"), "missing ;");
    EXPECT_EQ(error("example.org none", false), "missing ;");
    EXPECT_EQ(parsed("example.org 2; none").str(true), "example.org 2; none");
    EXPECT_EQ(parsed("example.org 1; none").str(true), "example.org; none");
    EXPECT_EQ(error("example.org; "), "error in authentication result");
    EXPECT_EQ(error("example.org; spf=pass smtp"), "error in authentication result");
    AuthenticationResults lenient =
        parsed("example.org; spf=pass smtp; dkim=fail header.d=example.com", false);
    ASSERT_EQ(lenient.results.size(), 2u);
    EXPECT_EQ(lenient.results[0].properties.size(), 0u);
    EXPECT_EQ(lenient.results[1]["header.d"], "example.com");
    // "; nonexistent" is a method, not the word none.
    EXPECT_EQ(parsed("example.org; nonexistent=pass").results.at(0).method, "nonexistent");
}

TEST(AuthenticationResults, ReasonsAndPropertiesAreWrittenSafely)
{
    AuthenticationResults results("example.org");
    AuthenticationResult result("spf", "fail");
    result.reason = "two words";
    result.properties.emplace_back("smtp", "mailfrom", "a\"b");
    results.results.push_back(result);
    AuthenticationResult one("dkim", "fail");
    one.reason = "word";
    results.results.push_back(one);
    EXPECT_EQ(results.str(true), "example.org; spf=fail reason=\"two words\" "
                                 "smtp.mailfrom=\"a\\\"b\"; dkim=fail reason=word");
    AuthenticationResults again = parsed(results.str(true));
    EXPECT_EQ(again.results.at(0).reason, "two words");
    EXPECT_EQ(again.results.at(0)["SMTP.MailFrom"], "a\"b");
    EXPECT_EQ(again.results.at(0)["smtp"], "");

    // A quoted identifier and a tab in a value come back as they were; so
    // does a line break before a blank, which a reader would unfold (the
    // fuzzer's value: vertical tabs, backslashes and line feeds).
    AuthenticationResults quoted = parsed(
        "\"relay one\"; spf=pass smtp.x=\"a\\\tb\" smtp.y=\"\\\v\\\\\\\n\\ \\\r\\\n\\ x\"", false);
    AuthenticationResults back = parsed(quoted.str(true), false);
    EXPECT_EQ(back.authservId, "relay one");
    EXPECT_EQ(back.results.at(0)["smtp.x"], "a\tb");
    EXPECT_EQ(back.results.at(0)["smtp.y"], "\v\\\n \r\n x");
    // A local part goes bare only where it reads back so, as a dot-atom.
    AuthenticationResults local = parsed("x; dkim=pass header.i=\".a\"@example.com "
                                         "header.b=\"!\xFB,\xFF b\"@example.com");
    AuthenticationResults reread = parsed(local.str(true));
    EXPECT_EQ(reread.results.at(0)["header.i"], "\".a\"@example.com");
    EXPECT_EQ(reread.results.at(0)["header.b"], "\"!\xFB,\xFF b\"@example.com");
}

TEST(AuthenticationResults, HeaderIFindsAnyCase)
{
    AuthenticationResults results = parsed("example.org; dkim=pass Header.I=@example.com");
    EXPECT_EQ(results.results.at(0)["header.i"], "@example.com");
    EXPECT_EQ(results.results.at(0)["header"], "");
    AuthenticationResults quoted = parsed("example.org; auth=pass smtp.auth=\"a b\"@example.com "
                                          "smtp.x=fai. header.i=@example.com");
    EXPECT_EQ(quoted.results.at(0)["smtp.auth"], "\"a b\"@example.com");
    EXPECT_EQ(quoted.results.at(0)["smtp.x"], "fai.");
    EXPECT_EQ(quoted.results.at(0)["header.i"], "@example.com");
}

TEST(AuthenticationResults, BuiltFromOutcomes)
{
    std::string text = "v=1; a=rsa-sha256; d=example.com; s=sel; h=from; bh=AAAA; b=BB\r\n BB";
    DkimSignature signature(text.data(), text.size(), true, false);
    std::string sha1Text = "v=1; a=rsa-sha1; d=example.com; s=sel; h=from; bh=AAAA; b=CCCC";
    DkimSignature sha1(sha1Text.data(), sha1Text.size(), true, false);
    DkimStatus weak(sha1);
    weak.result = Status::pass;
    DkimStatus passed(signature);
    passed.result = Status::pass;
    passed.reason = "ignored";
    DkimStatus failed(signature);
    failed.result = Status::fail;
    failed.reason = "Body hash does not match";
    AuthenticationResults results("mx.example.org");
    results.add(passed);
    results.add(failed);
    results.add(weak);
    Kestrava::Dns::SpfStatus spf;
    spf.result = Status::pass;
    spf.helo = "mail.example.com";
    results.add(spf);
    DmarcStatus dmarc;
    dmarc.domain = "example.com";
    dmarc.result = Status::fail;
    dmarc.message = "policy";
    results.add(dmarc);
    EXPECT_EQ(results.str(true),
              "mx.example.org; dkim=pass header.i=@example.com header.b=BBBB; dkim=fail "
              "reason=\"Body hash does not match\" header.i=@example.com header.b=BBBB; "
              "dkim=pass (weak algorithm rsa-sha1) header.i=@example.com header.b=CCCC; spf=pass "
              "smtp.helo=mail.example.com; dmarc=fail reason=policy header.from=example.com");
    // header.b is one token to every reader.
    AuthenticationResults again = parsed(results.str(true));
    EXPECT_EQ(again.results.at(0)["header.b"], "BBBB");
    EXPECT_EQ(authres(results.str(true)), ours(again));

    // On top of a header, folded, and read back as written.
    Header header;
    header.append("From", "a@example.com");
    header.prepend(results);
    ASSERT_EQ(header.size(), 2u);
    std::string line(header.line(0).data, header.line(0).size);
    EXPECT_EQ(line.rfind("Authentication-Results: mx.example.org;", 0), 0u) << line;
    for (size_t start = 0, end; (end = line.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 78u) << line;
    const Value& value = header.line(0).value();
    std::string unfolded(value.data, value.size);
    for (size_t fold; (fold = unfolded.find("\r\n")) != std::string::npos;)
        unfolded.erase(fold, 2);
    EXPECT_EQ(unfolded, results.str(true));
}

TEST(AuthenticationResults, AnSpfExplanationCannotForgeAResult)
{
    AuthenticationResults results("mx.example.org");
    Kestrava::Dns::SpfStatus spf;
    spf.result = Status::fail;
    spf.mailfrom = "a@example.com";
    spf.explanation = "\"; dkim=pass header.d=bank.example; x=\"";
    results.add(spf);
    std::string written = results.str(true);
    AuthenticationResults again = parsed(written);
    ASSERT_EQ(again.results.size(), 1u);
    EXPECT_EQ(again.results[0].reason, spf.explanation);
    // authres keeps the escapes in the reason; what counts is one result.
    std::string peer = authres(written);
    EXPECT_EQ(std::count(peer.begin(), peer.end(), '\n'), 1);
    EXPECT_EQ(peer.rfind("spf fail ", 0), 0u);
}

TEST(AuthenticationResults, AgreesWithPythonAuthres)
{
    for (const char* value :
         {"mx.example.org; spf=pass smtp.mailfrom=sender@example.com; "
          "dkim=pass header.d=example.com header.s=sel; dmarc=fail reason=\"p=reject\" "
          "header.from=example.com",
          "example.net 1; dkim=fail (bad signature) reason=\"signature did not verify\" "
          "header.i=@example.net",
          "example.com; arc=pass; auth=pass smtp.auth=user@example.com"})
    {
        SCOPED_TRACE(value);
        AuthenticationResults results = parsed(value);
        EXPECT_EQ(authres(value), ours(results));
        EXPECT_EQ(authres(results.str(true)), ours(results));
    }
}

TEST(AuthenticationResults, BrokenTextEndsQuickly)
{
    std::string nul("x; spf=pass a.b=c\0d; dkim=pass", 29);
    for (const std::string& text : {std::string("x; spf=pass \"abc"), nul})
        for (bool strict : {true, false})
        {
            auto start = std::chrono::steady_clock::now();
            try
            {
                parsed(text, strict);
            }
            catch (const std::runtime_error&)
            {
                // Refusing is fine; hanging is not.
            }
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        }
    std::string line = "Authentication-Results: x; spf=pass \"abc\r\n";
    EXPECT_FALSE(Line(line.data(), line.size()).valid());
    std::string arc = "ARC-Authentication-Results: i=1; x; spf=pass \"abc\r\n\r\n";
    auto start = std::chrono::steady_clock::now();
    Object::ExtHeader header(arc.data(), arc.size());
    EXPECT_THROW(ArcSealOrder order(header), std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

} // namespace
