#include "dns/exception/exception.h"
#include "dns/exception/gaiexception.h"
#include "dns/exception/idnexception.h"
#include "dns/exception/rcodeexception.h"
#include "dns/exception/timeoutexception.h"

#include <gtest/gtest.h>

#include <netdb.h>

#include <cerrno>
#include <cstring>
#include <string>

using Kestrava::Dns::Exception;
using Kestrava::Dns::GaiException;
using Kestrava::Dns::IdnException;
using Kestrava::Dns::RcodeException;
using Kestrava::Dns::TimeoutException;

namespace
{

/// What a caller that catches the base class sees.
struct Seen
{
    std::string text;
    int type;
    bool temporary;
    bool nxdomain;
};

template <typename Error> Seen seen(const Error& thrown)
{
    try
    {
        throw thrown;
    }
    catch (const Exception& error)
    {
        return {error.what(), error.type(), error.temporary(), error.nxdomain()};
    }
}

} // namespace

TEST(ExceptionTest, ResponseCodesHaveTheirTextsTypesAndFlags)
{
    struct Expected
    {
        int rcode;
        const char* text;
        int type;
    };
    const Expected cases[] = {
        {0, "Unknown error: Rcode unknown", 7},
        {1, "rcode 1 (FORMERR): Format Error", 7},
        {2, "rcode 2 (SERVFAIL): Server Failure", 1},
        {3, "rcode 3 (NXDOMAIN): Non-Existent Domain", 4},
        {4, "rcode 4 (NOTIMP): Not Implemented", 7},
        {5, "rcode 5 (REFUSED): Query Refused", 7},
        {6, "rcode 6 (YXDOMAIN): Name Exists when it should not", 7},
        {7, "rcode 7 (YXRRSET): RR Set Exists when it should not", 7},
        {8, "rcode 8 (NXRRSET): RR Set that should exist does not", 7},
        {9, "rcode 9 (NOTAUTH): Server Not Authoritative for zone", 5},
        {10, "rcode 10 (NOTZONE): Name not contained in zone", 5},
        {11, "Unknown error: Rcode unknown", 7},
        {16, "Unknown error: Rcode unknown", 7},
        {-1, "Unknown error: Rcode unknown", 7},
    };
    for (const Expected& expected : cases)
    {
        Seen error = seen(RcodeException(expected.rcode));
        EXPECT_EQ(error.text, expected.text) << expected.rcode;
        EXPECT_EQ(error.type, expected.type) << expected.rcode;
        EXPECT_EQ(error.temporary, expected.rcode == 2) << expected.rcode;
        EXPECT_EQ(error.nxdomain, expected.rcode == 3) << expected.rcode;
        EXPECT_EQ(RcodeException(expected.rcode).rcode(), expected.rcode);
    }
}

TEST(ExceptionTest, GetaddrinfoCodesHaveTheSystemTextsTypesAndFlags)
{
    struct Expected
    {
        int code;
        int type;
    };
    const Expected cases[] = {
        {EAI_AGAIN, 1},  {EAI_NONAME, 4},   {EAI_NODATA, 5},  {EAI_BADFLAGS, 7}, {EAI_FAIL, 7},
        {EAI_FAMILY, 7}, {EAI_SOCKTYPE, 7}, {EAI_SERVICE, 7}, {EAI_MEMORY, 7},   {EAI_OVERFLOW, 7},
    };
    for (const Expected& expected : cases)
    {
        Seen error = seen(GaiException(expected.code, nullptr));
        EXPECT_EQ(error.text, gai_strerror(expected.code)) << expected.code;
        EXPECT_EQ(error.type, expected.type) << expected.code;
        EXPECT_EQ(error.temporary, expected.code == EAI_AGAIN) << expected.code;
        EXPECT_EQ(error.nxdomain, expected.code == EAI_NONAME) << expected.code;
    }

    errno = ENOENT;
    Seen system = seen(GaiException(EAI_SYSTEM, nullptr));
    EXPECT_EQ(system.text, std::strerror(ENOENT));
    EXPECT_EQ(system.type, 6);
    EXPECT_FALSE(system.temporary);
    EXPECT_FALSE(system.nxdomain);
}

TEST(ExceptionTest, GetaddrinfoFailureReleasesTheListItIsGiven)
{
    addrinfo* list = nullptr;
    ASSERT_EQ(getaddrinfo("127.0.0.1", nullptr, nullptr, &list), 0);
    // The sanitizer build reports the list as leaked unless it is freed.
    GaiException error(EAI_FAMILY, list);
    EXPECT_EQ(error.code(), EAI_FAMILY);
}

TEST(ExceptionTest, TimeOutsAreTemporaryAndOtherFailuresKeepTheirType)
{
    Seen timeout = seen(TimeoutException());
    EXPECT_EQ(timeout.text, "DNS request timeout");
    EXPECT_EQ(timeout.type, 2);
    EXPECT_TRUE(timeout.temporary);
    EXPECT_FALSE(timeout.nxdomain);

    Seen idn = seen(IdnException("String preparation failed"));
    EXPECT_EQ(idn.text, "String preparation failed");
    EXPECT_EQ(idn.type, 7);
    EXPECT_FALSE(idn.temporary);
    EXPECT_FALSE(idn.nxdomain);

    Seen records = seen(Exception("No records of this type", 5));
    EXPECT_EQ(records.text, "No records of this type");
    EXPECT_EQ(records.type, 5);
    EXPECT_FALSE(records.temporary);
    EXPECT_FALSE(records.nxdomain);
}
