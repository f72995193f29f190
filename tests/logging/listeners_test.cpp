#include "logging/listeners.h"

#include "logging/log.h"
#include "logging/options.h"
#include "logging/proxy.h"

#include "tests/logging/scratchdirectory.h"
#include "tests/logging/umask.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include <memory>
#include <stdexcept>
#include <string>

using Kestrava::Logging::info;
using Kestrava::Logging::Listeners;
using Kestrava::Logging::Log;
using Kestrava::Logging::Proxy;

namespace {

/// Standard output on a terminal of its own for the life of the object.
class TerminalOutput
{
public:
    TerminalOutput()
    {
        _master = posix_openpt(O_RDWR | O_NOCTTY);
        if (_master < 0 || grantpt(_master) != 0 || unlockpt(_master) != 0) return;
        int terminal = open(ptsname(_master), O_RDWR | O_NOCTTY);
        if (terminal < 0) return;
        std::cout.flush();
        _saved = dup(STDOUT_FILENO);
        dup2(terminal, STDOUT_FILENO);
        close(terminal);
    }

    ~TerminalOutput()
    {
        restore();
        if (_master >= 0) close(_master);
    }

    bool ready() const { return _saved >= 0; }

    /// Puts the old standard output back.
    void restore()
    {
        if (_saved < 0) return;
        std::cout.flush();
        dup2(_saved, STDOUT_FILENO);
        close(_saved);
        _saved = -1;
    }

    /// What reached the terminal so far.
    std::string read()
    {
        std::string result;
        char buffer[4096];
        fcntl(_master, F_SETFL, O_NONBLOCK);
        ssize_t size;
        while ((size = ::read(_master, buffer, sizeof(buffer))) > 0) result.append(buffer, size);
        return result;
    }

private:
    int _master = -1;
    int _saved = -1;
};

} // namespace

TEST(ListenersTest, WritesToStandardOutputWhenItIsATerminal)
{
    Kestrava::Logging::Options options;
    Log log(info, nullptr);

    TerminalOutput terminal;
    ASSERT_TRUE(terminal.ready());
    {
        Listeners listeners(log, options, nullptr);
        Proxy(log, info) << "seen on the terminal";
    }
    terminal.restore();
    EXPECT_NE(std::string::npos, terminal.read().find("] seen on the terminal"));
}

TEST(ListenersTest, WritesEveryRequestedFileAndStandardError)
{
    ScratchDirectory directory;
    Kestrava::Logging::Options options;
    options.toStderr = true;
    options.files = {directory / "first.log", directory / "second.log"};

    Log log(info, nullptr);
    testing::internal::CaptureStderr();
    {
        Listeners listeners(log, options, nullptr);
        Proxy(log, info) << "to every target";
    }
    std::string error = testing::internal::GetCapturedStderr();

    EXPECT_NE(std::string::npos, error.find("] to every target\n"));
    EXPECT_NE(std::string::npos, contentOf(directory / "first.log").find("] to every target\n"));
    EXPECT_NE(std::string::npos, contentOf(directory / "second.log").find("] to every target\n"));
}

TEST(ListenersTest, CreatesMissingFilesForTheUserAndLeavesExistingOnes)
{
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nullptr, nobody);
    Umask mask(022);

    ScratchDirectory directory;
    std::string existing = directory / "existing.log";
    std::ofstream(existing) << "kept\n";
    chmod(existing.c_str(), 0644);

    Kestrava::Logging::Options options;
    options.files = {directory / "new.log", existing};
    Log log(info, nullptr);
    {
        Listeners listeners(log, options, "nobody");
    }

    auto created = statusOf(directory / "new.log");
    EXPECT_EQ(0640u, created.st_mode & 07777);
    EXPECT_EQ(nobody->pw_uid, created.st_uid);
    EXPECT_EQ(nobody->pw_gid, created.st_gid);

    auto untouched = statusOf(existing);
    EXPECT_EQ(0644u, untouched.st_mode & 07777);
    EXPECT_EQ(0u, untouched.st_uid);
    EXPECT_EQ("kept\n", contentOf(existing));
}

TEST(ListenersTest, FailureRemovesTheListenersAlreadyMade)
{
    ScratchDirectory directory;
    Kestrava::Logging::Options options;
    std::string missing = directory / "missing/app.log";
    options.files = {directory / "good.log", missing};

    Log log(info, nullptr);
    try
    {
        Listeners listeners(log, options, nullptr);
        FAIL() << "a log file in a missing directory was accepted";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ("Cannot access file/directory for reading: " + missing,
                  std::string(error.what()));
    }

    Proxy(log, info) << "nobody listens";
    log.flush();
    EXPECT_EQ("", contentOf(directory / "good.log"));
}
