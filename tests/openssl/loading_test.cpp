#include "openssl/availability.h"
#include "openssl/detail/library.h"
#include "openssl/functions.h"

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace OpenSSL = Kestrava::OpenSSL;
using Kestrava::OpenSSL::Test::Process;
using Kestrava::OpenSSL::Test::Scratch;

namespace
{

/// The calls with which the binding sets up an OpenSSL 1.0 library before
/// it looks at the locking callback, and those with which it cleans it up
/// after the callback is dealt with, as the stand-in library logs them.
const std::string legacyInitialisation =
    "OpenSSL_add_all_digests SSL_library_init SSL_load_error_strings "
    "CRYPTO_get_locking_callback ";
const std::string legacyCleanUp = "CONF_modules_free ENGINE_cleanup CONF_modules_unload(1) "
                                  "EVP_cleanup CRYPTO_cleanup_all_ex_data ERR_free_strings ";

/// The directory from which the binding loaded libssl.
std::filesystem::path libsslDirectory()
{
    Dl_info info{};
    void* symbol = dlsym(OpenSSL::handle(), "SSL_new");
    if (symbol == nullptr || dladdr(symbol, &info) == 0)
        throw std::runtime_error("libssl not found");
    return std::filesystem::canonical(std::filesystem::path(info.dli_fname).parent_path());
}

/// Every libssl file name of the directory ("libssl.so", "libssl.so.3", ...).
std::vector<std::string> libsslFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(libsslDirectory()))
        if (entry.path().filename().string().rfind("libssl.so", 0) == 0)
            files.push_back(entry.path().string());
    return files;
}

/**
 * Runs the probe `command` and returns its "key=value" report; empty when
 * the probe may not make the mount namespace it needs.
 */
std::map<std::string, std::string> runProbe(const std::vector<std::string>& command)
{
    Scratch scratch;
    Process process(command, scratch.path("report"));
    int status = process.wait();
    std::map<std::string, std::string> report;
    if (status == 77) return report;
    if (status != 0) throw std::runtime_error("the probe failed: " + scratch.read("report"));

    std::istringstream lines(scratch.read("report"));
    std::string line;
    while (std::getline(lines, line))
    {
        auto equals = line.find('=');
        if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
}

/// The probe's report with `hidden` covered by an empty file in its own
/// mount namespace.
std::map<std::string, std::string> probeHiding(const std::vector<std::string>& hidden)
{
    Scratch scratch;
    scratch.write("empty", "");
    std::vector<std::string> command = {KESTRAVA_OPENSSL_PROBE, scratch.path("empty")};
    command.insert(command.end(), hidden.begin(), hidden.end());
    return runProbe(command);
}

/// The probe's report with the stand-in OpenSSL 1.0 library found first.
std::map<std::string, std::string> probeLegacy(bool ownLocking)
{
    std::vector<std::string> command = {"env", std::string("LD_LIBRARY_PATH=") +
                                                   KESTRAVA_OPENSSL_LEGACY_DIRECTORY};
    if (ownLocking) command.push_back("KESTRAVA_TEST_OWN_LOCKING=1");
    command.push_back(KESTRAVA_OPENSSL_PROBE);
    return runProbe(command);
}

} // namespace

TEST(LoadingTest, LoadsTheSystemLibraryByItsFirstName)
{
    ASSERT_TRUE(OpenSSL::valid());
    EXPECT_NE(OpenSSL::handle(), nullptr);
    EXPECT_FALSE(OpenSSL::library().legacy());
    EXPECT_TRUE(OpenSSL::supportsDane());
    // This process does not carry OpenSSL itself, and the development
    // package provides the unversioned name, which is tried first.
    EXPECT_TRUE(OpenSSL::library().shared()->named());
    EXPECT_STREQ(OpenSSL::library().shared()->name(), "libssl.so");
}

TEST(LoadingTest, TriesNewerReleasesFirstAndTheRuntimeNameLast)
{
    std::vector<std::string> names;
    for (auto name = OpenSSL::versions; *name != nullptr; ++name)
        names.push_back(*name);
    ASSERT_EQ(names.size(), 74u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names[0], "libssl.so");
    EXPECT_EQ(names[3], "libssl.so.1.1.1n");
    EXPECT_EQ(names[17], "libssl.so.1.1.1");
    EXPECT_EQ(names[71], "libssl.so.1.0.1");
    EXPECT_EQ(names[72], "libssl.so.1.0.0");
    EXPECT_EQ(names[73], "libssl.so.3");
}

TEST(LoadingTest, RenamedEntryPointsBindUnderTheirNewNames)
{
    EXPECT_EQ(OpenSSL::EVP_MD_size(OpenSSL::EVP_sha256()), 32);
    EXPECT_EQ(OpenSSL::EVP_MD_type(OpenSSL::EVP_sha256()), NID_sha256);
    const EVP_CIPHER* cipher = OpenSSL::EVP_aes_256_cbc();
    EXPECT_EQ(OpenSSL::EVP_CIPHER_key_length(cipher), 32);
    EXPECT_EQ(OpenSSL::EVP_CIPHER_iv_length(cipher), 16);
    EXPECT_EQ(OpenSSL::EVP_CIPHER_block_size(cipher), 16);
}

TEST(LoadingTest, VersionTextBindsTheCurrentName)
{
    // OpenSSL 1.1 and later export only "OpenSSL_version"; the 1.0 name is
    // covered by the stand-in library below. The command line names the
    // library it runs on, which is the one loaded here.
    std::string text = OpenSSL::OpenSSL_version(OPENSSL_VERSION);
    ASSERT_EQ(text.rfind("OpenSSL ", 0), 0u) << text;
    std::string commandLine;
    ASSERT_EQ(Kestrava::OpenSSL::Test::runShell("openssl version", &commandLine), 0);
    EXPECT_NE(commandLine.find("(Library: " + text + ")"), std::string::npos) << commandLine;
}

TEST(LoadingTest, StillLoadsWithTheUnversionedNameHidden)
{
    auto report = probeHiding({(libsslDirectory() / "libssl.so").string()});
    if (report.empty()) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(report["valid"], "1");
    EXPECT_EQ(report["handle_null"], "0");
    EXPECT_EQ(report["legacy"], "0");
    EXPECT_EQ(report["dane"], "1");
    EXPECT_EQ(report["name"], "libssl.so.3");
    EXPECT_EQ(report["sha256"], "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(LoadingTest, WithoutOpenSSLOptionalEntryPointsFallBackAndRequiredOnesThrow)
{
    auto report = probeHiding(libsslFiles());
    if (report.empty()) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(report["valid"], "0");
    EXPECT_EQ(report["handle_null"], "1");
    EXPECT_EQ(report["dane"], "0");
    EXPECT_EQ(report["legacy"], "0");
    EXPECT_EQ(report["security_level"], "-1");
    EXPECT_EQ(report["ciphersuites"], "0");
    EXPECT_EQ(report["ciphers_null"], "1");

    // The loader's text is that of the last name tried.
    const std::string& read = report["ssl_read_1"];
    EXPECT_EQ(read.rfind("Method SSL_read not found ", 0), 0u) << read;
    EXPECT_NE(read.find("libssl.so.3: "), std::string::npos) << read;
    EXPECT_EQ(report["ssl_read_2"], read);
    EXPECT_EQ(report["cipher_context"].rfind("Method EVP_CIPHER_CTX_init not found ", 0), 0u);
    EXPECT_EQ(report["key_reference"].rfind("Method CRYPTO_add_lock not found ", 0), 0u);

    // Plain connections stay possible; only TLS fails.
    EXPECT_EQ(report["client_context_empty"], "1");
    const std::string& connection = report["connection"];
    EXPECT_EQ(connection.rfind("Method ", 0), 0u) << connection;
    EXPECT_NE(connection.find(" not found "), std::string::npos) << connection;
}

TEST(LoadingTest, SpeaksTheOldApiToAnOpenSSL10Library)
{
    auto report = probeLegacy(false);
    EXPECT_EQ(report["valid"], "1");
    EXPECT_EQ(report["legacy"], "1");
    EXPECT_EQ(report["dane"], "0");
    EXPECT_EQ(report["name"], "libssl.so");
    // The mutexes exist before the callback can be called.
    EXPECT_EQ(report["init"],
              legacyInitialisation + "CRYPTO_num_locks CRYPTO_set_locking_callback ");

    EXPECT_EQ(report["calls"], "SSLv23_client_method SSLv23_server_method sk_num "
                               "EVP_MD_CTX_create EVP_MD_CTX_destroy "
                               "EVP_get_digestbyname(sha256) EVP_CIPHER_CTX_init "
                               "EVP_CIPHER_CTX_cleanup CRYPTO_free SSLeay_version "
                               "SSL_CTX_ctrl(32,33554432) ");
    EXPECT_EQ(report["version_text"], "OpenSSL 1.0.2u-stand-in");
    EXPECT_EQ(report["options"], "33554432");
    EXPECT_EQ(report["security_level"], "-1");
    EXPECT_EQ(report["ciphersuites"], "0");
    EXPECT_EQ(report["ciphers_member"], "1");
    EXPECT_EQ(report["ciphers_null"], "1");

    EXPECT_EQ(report["version"], "2");
    EXPECT_EQ(report["validity"], "11");
    EXPECT_EQ(report["certificate_up_ref"], "1");
    EXPECT_EQ(report["certificate_references"], "2");
    EXPECT_EQ(report["key_up_ref"], "1");
    EXPECT_EQ(report["key_references"], "2");
    EXPECT_EQ(report["released_key_up_ref"], "0");
    EXPECT_EQ(report["references"], "ASN1_INTEGER_get CRYPTO_add_lock(3,2756) "
                                    "CRYPTO_add_lock(10,1312) CRYPTO_add_lock(10,1312) ");
    EXPECT_EQ(report["counted"], "1");

    // Our callback goes before the library is cleaned up.
    EXPECT_EQ(report["exit"],
              "CRYPTO_get_locking_callback CRYPTO_set_locking_callback(null) " + legacyCleanUp);
}

TEST(LoadingTest, LeavesALockingCallbackInstalledByOthers)
{
    auto report = probeLegacy(true);
    EXPECT_EQ(report["legacy"], "1");
    EXPECT_EQ(report["init"], legacyInitialisation);
    EXPECT_EQ(report["counted"], "1");
    EXPECT_EQ(report["exit"], "CRYPTO_get_locking_callback " + legacyCleanUp);
    EXPECT_EQ(report["exit_own_locking"], "1");
}
