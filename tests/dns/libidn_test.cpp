#include "dns/hostname/libidn.h"

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using Kestrava::Dns::LibIDN;
using Kestrava::OpenSSL::Test::runShell;
using Kestrava::OpenSSL::Test::Scratch;

namespace
{

/// The directory from which this process loaded libidn.
std::filesystem::path libidnDirectory()
{
    Dl_info info{};
    void* symbol = dlsym(LibIDN::library().handle(), "idna_strerror");
    if (symbol == nullptr || dladdr(symbol, &info) == 0)
        throw std::runtime_error("libidn not found");
    return std::filesystem::canonical(std::filesystem::path(info.dli_fname).parent_path());
}

/// The libidn files of that directory whose names start with `prefix`.
std::vector<std::string> libidnFiles(const std::string& prefix)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(libidnDirectory()))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            files.push_back(entry.path().string());
    return files;
}

/// The probe's "key=value" report with `hidden` covered by an empty file
/// in its own mount namespace; empty when it may not make one.
std::map<std::string, std::string> probeHiding(const std::vector<std::string>& hidden)
{
    Scratch scratch;
    scratch.write("empty", "");
    std::string command = std::string(KESTRAVA_DNS_IDN_PROBE) + " " + scratch.path("empty");
    for (const std::string& path : hidden)
        command += " " + path;
    std::string output;
    int status = runShell(command, &output);
    std::map<std::string, std::string> report;
    if (status == 77) return report;
    if (status != 0) throw std::runtime_error("the probe failed: " + output);

    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
    {
        auto equals = line.find('=');
        if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
}

} // namespace

TEST(LibidnTest, TriesTheDevelopmentNameFirstAndTheRuntimeNameLast)
{
    std::vector<std::string> names;
    for (auto name = LibIDN::versions; *name != nullptr; ++name)
        names.push_back(*name);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names.front(), "libidn.so");
    EXPECT_EQ(names.back(), "libidn.so.12");
    ASSERT_TRUE(LibIDN::valid());
    EXPECT_STREQ(LibIDN::library().shared()->name(), "libidn.so");
}

TEST(LibidnTest, RuntimePackageAloneIsEnough)
{
    auto report = probeHiding({(libidnDirectory() / "libidn.so").string()});
    if (report.empty()) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(report["valid"], "1");
    EXPECT_EQ(report["name"], "libidn.so.12");
    EXPECT_EQ(report["idn"], "bücher.example xn--bcher-kva.example");
    EXPECT_EQ(report["plain"], "www.example.com www.example.com");
    EXPECT_EQ(report["null"], "IdnException Output would be too large or too small");
    EXPECT_EQ(report["address"], "localhost localhost");
    EXPECT_EQ(report["organization"], "example.co.uk example.co.uk");
}

TEST(LibidnTest, WithoutLibidnNamesFailAndAddressesStillWork)
{
    auto report = probeHiding(libidnFiles("libidn.so"));
    if (report.empty()) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(report["valid"], "0");
    EXPECT_EQ(report["name"], "(none)");
    EXPECT_EQ(report["idn"], "IdnException libidn cannot be loaded");
    EXPECT_EQ(report["plain"], "IdnException libidn cannot be loaded");
    EXPECT_EQ(report["null"], "IdnException libidn cannot be loaded");
    EXPECT_EQ(report["address"], "localhost localhost");
    EXPECT_EQ(report["organization"], "IdnException libidn cannot be loaded");
}
