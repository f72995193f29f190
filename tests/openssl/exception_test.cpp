#include "openssl/exception.h"

#include "openssl/functions.h"
#include "openssl/ownedbio.h"

#include <gtest/gtest.h>

#include <openssl/err.h>

namespace OpenSSL = Kestrava::OpenSSL;
using OpenSSL::Exception;

TEST(ExceptionTest, TellsOpenSSLsReasonOrWhyThereIsNone)
{
    char junk[] = "not a key";
    OpenSSL::Bio bio(OpenSSL::BIO_new_mem_buf(junk, sizeof junk - 1));
    ASSERT_EQ(OpenSSL::PEM_read_bio_X509(bio.bio(), nullptr, nullptr, nullptr), nullptr);
    EXPECT_STREQ(Exception(OpenSSL::ERR_get_error()).what(), "no start line");
    OpenSSL::ERR_clear_error();

    EXPECT_STREQ(Exception(0UL).what(), "Unknown error code");
    // A reason OpenSSL has no text for, although its texts are loaded now.
    EXPECT_STREQ(Exception(ERR_PACK(ERR_LIB_USER, 0, 4000)).what(),
                 "Unknown error: error strings not loaded");
    EXPECT_STREQ(Exception("unknown digest").what(), "unknown digest");
}
