// Every forwarding function must find its entry point in the installed
// OpenSSL. A release that renames or drops one shows up here at once, by
// name, instead of as a failure of whichever caller first reaches it.

#include "openssl/availability.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace OpenSSL = Kestrava::OpenSSL;

namespace
{

/// The names of the forwarding functions that functions.h declares, read
/// from the source so that a wrapper added later is checked as well.
std::vector<std::string> wrapperNames()
{
    std::ifstream header(KESTRAVA_OPENSSL_FUNCTIONS_HEADER);
    if (!header) throw std::runtime_error("cannot read " KESTRAVA_OPENSSL_FUNCTIONS_HEADER);
    std::string code;
    std::string line;
    while (std::getline(header, line))
    {
        if (line.rfind('#', 0) == 0) continue;
        code += line.substr(0, line.find("//")) + " ";
    }

    // A declaration ends at ';'; what precedes its last brace is namespace
    // syntax. Its name is the first identifier before a '(' that is not a
    // macro of the result type.
    const std::regex call("([A-Za-z_][A-Za-z0-9_]*)\\s*\\(");
    std::vector<std::string> names;
    std::istringstream declarations(code);
    std::string declaration;
    while (std::getline(declarations, declaration, ';'))
    {
        declaration = declaration.substr(declaration.find_last_of("{}") + 1);
        if (declaration.find("using ") != std::string::npos) continue;
        for (std::sregex_iterator match(declaration.begin(), declaration.end(), call), end;
             match != end; ++match)
        {
            if ((*match)[1] == "STACK_OF") continue;
            names.push_back((*match)[1]);
            break;
        }
    }
    return names;
}

/// The entry points, any one of which serves `wrapper` on OpenSSL 1.1 and
/// later, the preferred one first.
std::vector<std::string> entryPoints(const std::string& wrapper)
{
    static const std::map<std::string, std::vector<std::string>> otherNames = {
        {"OpenSSL_version", {"OpenSSL_version", "SSLeay_version"}},
        {"SSL_get_peer_certificate", {"SSL_get_peer_certificate", "SSL_get1_peer_certificate"}},
        {"EVP_PKEY_size", {"EVP_PKEY_size", "EVP_PKEY_get_size"}},
        {"EVP_PKEY_bits", {"EVP_PKEY_bits", "EVP_PKEY_get_bits"}},
        {"EVP_PKEY_base_id", {"EVP_PKEY_base_id", "EVP_PKEY_get_base_id"}},
        {"EVP_MD_size", {"EVP_MD_size", "EVP_MD_get_size"}},
        {"EVP_MD_type", {"EVP_MD_type", "EVP_MD_get_type"}},
        {"EVP_CIPHER_key_length", {"EVP_CIPHER_key_length", "EVP_CIPHER_get_key_length"}},
        {"EVP_CIPHER_iv_length", {"EVP_CIPHER_iv_length", "EVP_CIPHER_get_iv_length"}},
        {"EVP_CIPHER_block_size", {"EVP_CIPHER_block_size", "EVP_CIPHER_get_block_size"}},
        {"X509_version", {"X509_get_version"}},
        {"X509_get_notBefore_", {"X509_getm_notBefore"}},
        {"X509_get_notAfter_", {"X509_getm_notAfter"}},
    };
    auto other = otherNames.find(wrapper);
    if (other != otherNames.end()) return other->second;
    const std::string stack = "stack_";
    if (wrapper.rfind(stack, 0) == 0) return {"OPENSSL_sk_" + wrapper.substr(stack.size())};
    return {wrapper};
}

/// Binds the first of `names` that the library has; the loader's text for
/// the first name when none is there.
std::string bindAny(const std::vector<std::string>& names)
{
    std::string reason;
    for (const std::string& name : names)
    {
        try
        {
            Kestrava::Dynamic::Function<void()> function(OpenSSL::library(), name.c_str());
            return "";
        }
        catch (const std::runtime_error& error)
        {
            if (reason.empty()) reason = error.what();
        }
    }
    return reason;
}

} // namespace

TEST(EntryPointsTest, EveryWrapperBindsInTheInstalledOpenSSL)
{
    ASSERT_TRUE(OpenSSL::valid());
    // The optional entry points with 1.0 fallbacks must be there as well:
    // their fallbacks read 1.0 structures that later releases do not have.
    ASSERT_FALSE(OpenSSL::library().legacy());

    std::vector<std::string> wrappers = wrapperNames();
    EXPECT_GE(wrappers.size(), 210u) << "functions.h was not read as expected";

    std::string missing;
    for (const std::string& wrapper : wrappers)
    {
        std::string reason = bindAny(entryPoints(wrapper));
        if (!reason.empty()) missing += "\n  " + wrapper + ": " + reason;
    }
    EXPECT_TRUE(missing.empty()) << "entry points missing from the installed OpenSSL:" << missing;
}
