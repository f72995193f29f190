#include "dynamic/function.h"
#include "dynamic/library.h"
#include "dynamic/optionalfunction.h"

#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

using Testing::failureOf;
using Kestrava::Dynamic::Function;
using Kestrava::Dynamic::Library;
using Kestrava::Dynamic::OptionalFunction;

namespace {

const char* const zlibAfterMissing[] = {"libkestrava-does-not-exist.so.7", "libz.so.1", nullptr};
const char* const onlyMissing[] = {"libkestrava-missing-a.so", "libkestrava-missing-b.so", nullptr};

using Crc32 = unsigned long(unsigned long, const unsigned char*, unsigned int);

bool zlibLoaded()
{
    void* handle = dlopen("libz.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

} // namespace

TEST(LibraryTest, KeepsTheFirstCandidateThatOpens)
{
    Library library(zlibAfterMissing);
    ASSERT_TRUE(library.valid());
    EXPECT_NE(library.handle(), nullptr);
    EXPECT_STREQ(library.shared()->name(), "libz.so.1");
    EXPECT_TRUE(library.shared()->named());

    Function<Crc32> crc32(library, "crc32");
    const unsigned char text[] = "abc";
    EXPECT_EQ(crc32(0, text, 3), 0x352441C2UL);
}

TEST(LibraryTest, WithoutAnyCandidateEveryEntryPointIsUnbound)
{
    Library library(onlyMissing);
    EXPECT_FALSE(library.valid());
    EXPECT_EQ(library.handle(), nullptr);

    OptionalFunction<Crc32> optional(library, "crc32");
    EXPECT_FALSE(optional);
    EXPECT_THROW(optional(0, nullptr, 0), std::bad_function_call);

    // The reason names the last candidate the loader tried.
    std::string message = failureOf([&] { Function<Crc32> required(library, "crc32"); });
    EXPECT_EQ(message.rfind("Method crc32 not found ", 0), 0u) << message;
    EXPECT_NE(message.find("libkestrava-missing-b.so"), std::string::npos) << message;
}

TEST(LibraryTest, MissingRequiredSymbolThrowsWithLoaderText)
{
    Library library(zlibAfterMissing);
    std::string message = failureOf([&] { Function<void()> missing(library, "kestrava_no_such_symbol"); });
    EXPECT_EQ(message.rfind("Method kestrava_no_such_symbol not found ", 0), 0u) << message;
    EXPECT_NE(message.find("undefined symbol"), std::string::npos) << message;

    // A failed lookup must not leave an error behind for the next one.
    Function<Crc32> found(library, "crc32");
    EXPECT_NO_THROW(found(0, nullptr, 0));
}

TEST(LibraryTest, MissingOptionalSymbolThrowsBadFunctionCallWhenCalled)
{
    Library library(zlibAfterMissing);
    OptionalFunction<void()> missing(library, "kestrava_no_such_symbol");
    EXPECT_FALSE(missing);
    EXPECT_THROW(missing(), std::bad_function_call);
}

TEST(LibraryTest, RunningProcessFindsThreadNaming)
{
    Library process;
    ASSERT_TRUE(process.valid());
    EXPECT_FALSE(process.shared()->named());

    Function<int(pthread_t, const char*)> setName(process, "pthread_setname_np");
    Function<int(pthread_t, char*, size_t)> getName(process, "pthread_getname_np");
    char original[16] = {};
    ASSERT_EQ(getName(pthread_self(), original, sizeof original), 0);
    EXPECT_EQ(setName(pthread_self(), "dyn-test"), 0);
    char now[16] = {};
    ASSERT_EQ(getName(pthread_self(), now, sizeof now), 0);
    EXPECT_STREQ(now, "dyn-test");
    setName(pthread_self(), original);
}

TEST(LibraryTest, BoundFunctionKeepsTheLibraryLoaded)
{
    ASSERT_FALSE(zlibLoaded()) << "the test binary must not link zlib itself";
    std::optional<Function<Crc32>> crc32;
    {
        Library library(zlibAfterMissing);
        crc32.emplace(library, "crc32");
    }
    EXPECT_TRUE(zlibLoaded());
    const unsigned char text[] = "abc";
    EXPECT_EQ((*crc32)(0, text, 3), 0x352441C2UL);

    crc32.reset();
    EXPECT_FALSE(zlibLoaded());
}

TEST(LibraryTest, CopiesShareOneHandle)
{
    Library first(zlibAfterMissing);
    Library copy = first;
    EXPECT_EQ(copy.shared(), first.shared());
    EXPECT_EQ(copy.handle(), first.handle());
}
