// Organizational domains per second of 100,000 host names made from the
// Public Suffix List and its official test vectors: Organization (which also
// builds both host-name forms), the bare PublicSuffixes lookup, and libpsl's
// registrable domain on the same names in the same run.
#include "dns/suffix/organization.h"
#include "dns/suffix/publicsuffixes.h"

#include <benchmark/benchmark.h>

#include <libpsl.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

constexpr size_t count = 100000;

std::vector<std::string> lines(const char* path)
{
    std::ifstream file(path);
    if (!file) throw std::runtime_error(std::string("cannot read ") + path);
    std::vector<std::string> result;
    for (std::string line; std::getline(file, line);)
        result.push_back(line);
    return result;
}

/// The domains of the test vectors, then each rule of the list below one
/// to three more labels, until there are `count` names.
std::vector<std::string> makeNames()
{
    std::vector<std::string> names;
    const std::regex vector(R"(^checkPublicSuffix\('([^']*)',)");
    for (const std::string& line : lines("/usr/share/doc/publicsuffix/examples/test_psl.txt"))
    {
        std::smatch match;
        if (std::regex_search(line, match, vector)) names.push_back(match[1]);
    }

    std::vector<std::string> rules;
    for (const std::string& line : lines(KESTRAVA_PUBLIC_SUFFIX_LIST))
    {
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        std::string rule = line[0] == '!' ? line.substr(1) : line;
        if (rule[0] == '*') rule[0] = 'a';
        rules.push_back(rule);
    }
    const char* const prefixes[] = {"example.", "www.example.", "a.b.example."};
    for (size_t index = 0; names.size() < count; ++index)
        names.push_back(prefixes[(index / rules.size()) % 3] + rules[index % rules.size()]);
    return names;
}

const std::vector<std::string>& names()
{
    static const std::vector<std::string> names = makeNames();
    return names;
}

void BM_Organization(benchmark::State& state)
{
    size_t found = 0;
    for (auto _ : state)
        for (const std::string& name : names())
        {
            try
            {
                Kestrava::Dns::Organization organization(name.c_str());
                benchmark::DoNotOptimize(organization.ascii());
                ++found;
            }
            catch (const std::runtime_error&)
            {
            }
        }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names().size()));
    state.counters["found"] = static_cast<double>(found / state.iterations());
}

void BM_PublicSuffixesOrganization(benchmark::State& state)
{
    const auto& suffixes = Kestrava::Dns::PublicSuffixes::instance();
    size_t found = 0;
    for (auto _ : state)
        for (const std::string& name : names())
        {
            const char* organization = suffixes.organization(name.c_str());
            benchmark::DoNotOptimize(organization);
            found += organization != nullptr;
        }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names().size()));
    state.counters["found"] = static_cast<double>(found / state.iterations());
}

void BM_LibpslRegistrableDomain(benchmark::State& state)
{
    psl_ctx_t* psl = psl_latest(nullptr);
    if (psl == nullptr) throw std::runtime_error("libpsl has no list");
    size_t found = 0;
    for (auto _ : state)
        for (const std::string& name : names())
        {
            const char* organization = psl_registrable_domain(psl, name.c_str());
            benchmark::DoNotOptimize(organization);
            found += organization != nullptr;
        }
    // Names whose organization the two sides see differently.
    size_t differing = 0;
    for (const std::string& name : names())
        differing += psl_registrable_domain(psl, name.c_str()) !=
                     Kestrava::Dns::PublicSuffixes::instance().organization(name.c_str());
    psl_free(psl);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names().size()));
    state.counters["found"] = static_cast<double>(found / state.iterations());
    state.counters["differing"] = static_cast<double>(differing);
}

} // namespace

BENCHMARK(BM_Organization)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PublicSuffixesOrganization)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpslRegistrableDomain)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
