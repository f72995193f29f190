#pragma once

#include "tests/openssl/support/pki.h"

#include <gtest/gtest.h>

#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/**
 * A fixture whose tests share one Pki, made before the first test of the
 * suite and removed after the last: making keys is slow. A suite that
 * needs more certificates issues them in its own SetUpTestSuite, after
 * calling this one's.
 */
class SharedPkiTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { _pki = new Pki(); }

    static void TearDownTestSuite()
    {
        delete _pki;
        _pki = nullptr;
    }

    static const Pki& pki() { return *_pki; }
    static std::string path(const std::string& name) { return _pki->path(name); }

private:
    static Pki* _pki;
};

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
