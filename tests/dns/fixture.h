#pragma once

#include "dns/context.h"
#include "tests/dns/harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Testing
{

/// A Context on a private loop, configured from files the test writes,
/// inside the namespace of namespace.sh.
class ResolverFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!inNamespace()) GTEST_SKIP();
    }

    /// A Context from the given resolv.conf and hosts contents.
    DNS::Context& make(const std::string& resolvconf, const std::string& hosts = "")
    {
        _files.push_back(std::make_unique<TempFile>(resolvconf));
        const char* conf = _files.back()->path();
        _files.push_back(std::make_unique<TempFile>(hosts));
        _context = std::make_unique<DNS::Context>(_loop.dns(), conf, _files.back()->path());
        return *_context;
    }

    /// Looks the name up, runs the loop until it reported (failing the test
    /// when that takes longer than `limit` seconds), and tells the outcome.
    Outcome resolve(const char* name, int type, double limit = 20.0)
    {
        Recorder recorder;
        const DNS::Operation* operation = _context->query(name, type, DNS::Bits(), &recorder);
        EXPECT_NE(operation, nullptr) << name;
        EXPECT_TRUE(_loop.run(limit)) << name;
        EXPECT_EQ(recorder.calls, 1) << name;
        EXPECT_EQ(recorder.outcome.operation, operation) << name;
        return recorder.outcome;
    }

    TestLoop _loop;
    std::vector<std::unique_ptr<TempFile>> _files;
    std::unique_ptr<DNS::Context> _context;
};

} // namespace Testing
