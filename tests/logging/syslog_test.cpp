#include "logging/syslog.h"

#include "logging/log.h"
#include "logging/proxy.h"

#include "tests/logging/scratchdirectory.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using Kestrava::Logging::critical;
using Kestrava::Logging::info;
using Kestrava::Logging::Log;
using Kestrava::Logging::priority;
using Kestrava::Logging::Proxy;
using Kestrava::Logging::Syslog;
using Kestrava::Logging::warning;

// These tests read what syslog() sends to /dev/log. So as not to touch the
// machine's own logger, each test runs itself again in a private mount
// namespace (unshare, as root), lays a writable overlay over /dev there and
// binds its own datagram socket at /dev/log.

namespace {

const char* const marker = "KESTRAVA_SYSLOG_NAMESPACE";

bool insideNamespace() { return getenv(marker) != nullptr; }

/// Runs this test binary again for one test, under unshare; its exit status.
int exitStatusInNamespace()
{
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    // Named by its own path: under unshare, /proc/self/exe is unshare.
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof(self) - 1) <= 0) return -1;
    std::vector<const char*> arguments{"unshare", "--mount", "--propagation", "private",
                                       "--",      self,      filter.c_str(),  nullptr};

    setenv(marker, "1", 1);
    pid_t child = 0;
    int failed = posix_spawnp(&child, "unshare", nullptr, nullptr,
                              const_cast<char* const*>(arguments.data()), environ);
    unsetenv(marker);
    if (failed != 0) return -1;

    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// Runs the current test in the private namespace and fails it when it
/// fails there.
void runInNamespace() { ASSERT_EQ(0, exitStatusInNamespace()); }

/// The socket at /dev/log of the private namespace.
class DevLog
{
public:
    DevLog()
    {
        // /dev itself is the machine's: writes go to an overlay of our own.
        if (mount("tmpfs", _scratch.path().c_str(), "tmpfs", 0, nullptr) != 0) fail("mount tmpfs");
        std::string upper = _scratch / "upper";
        std::string work = _scratch / "work";
        mkdir(upper.c_str(), 0755);
        mkdir(work.c_str(), 0755);
        std::string layers = "lowerdir=/dev,upperdir=" + upper + ",workdir=" + work;
        if (mount("overlay", "/dev", "overlay", 0, layers.c_str()) != 0) fail("mount overlay");
        unlink("/dev/log");
        _socket = bound();
    }

    ~DevLog()
    {
        close(_socket);
        if (_replacement >= 0) close(_replacement);
        umount2("/dev", MNT_DETACH);
        umount2(_scratch.path().c_str(), MNT_DETACH);
    }

    /// The next datagram, empty after ten seconds without one.
    std::string receive() { return receiveFrom(_socket); }

    /// Puts a new socket at /dev/log; the old one stays open.
    void replace()
    {
        unlink("/dev/log");
        _replacement = bound();
    }

    /// Whether a datagram waits at the new socket.
    bool replacementReceived() { return !receiveFrom(_replacement, MSG_DONTWAIT).empty(); }

private:
    static void fail(const char* what)
    {
        perror(what);
        std::exit(3);
    }

    /// A datagram socket bound at /dev/log.
    static int bound()
    {
        int result = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        strcpy(address.sun_path, "/dev/log");
        if (bind(result, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
            fail("bind /dev/log");

        timeval timeout{10, 0};
        setsockopt(result, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        return result;
    }

    static std::string receiveFrom(int socket, int flags = 0)
    {
        char buffer[4096];
        ssize_t size = recv(socket, buffer, sizeof(buffer), flags);
        return size > 0 ? std::string(buffer, size) : std::string();
    }

    ScratchDirectory _scratch;
    int _socket = -1;
    int _replacement = -1;
};

/// Whether a datagram starts with the priority and ends with "[PID]: text".
testing::AssertionResult carries(const std::string& datagram, const std::string& start,
                                 const std::string& text)
{
    std::string end = "[" + std::to_string(getpid()) + "]: " + text;
    bool good = datagram.compare(0, start.size(), start) == 0 && datagram.size() >= end.size() &&
                datagram.compare(datagram.size() - end.size(), end.size(), end) == 0;
    if (good) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got \"" << datagram << "\"";
}

} // namespace

TEST(SyslogTest, SendsTheTextAloneAtItsLevel)
{
    if (!insideNamespace()) return runInNamespace();

    DevLog devlog;
    Log log(info, nullptr);
    {
        Syslog syslog(log);
        Proxy(log, warning) << "disk almost full";
        Proxy(log, critical) << "broker gone";
        Proxy(log, info) << "started";
        Proxy(log, static_cast<priority>(5)) << "odd level";
    }

    // LOG_USER is 8: warning 8 + 4, critical 8 + 2, info 8 + 6.
    EXPECT_TRUE(carries(devlog.receive(), "<12>", "disk almost full"));
    EXPECT_TRUE(carries(devlog.receive(), "<10>", "broker gone"));
    EXPECT_TRUE(carries(devlog.receive(), "<14>", "started"));
    EXPECT_TRUE(carries(devlog.receive(), "<14>", "odd level"));
}

TEST(SyslogTest, UsesTheGivenIdentAndFacility)
{
    if (!insideNamespace()) return runInNamespace();

    DevLog devlog;
    Log log(info, nullptr);
    {
        Syslog syslog(log, "kestrava-test", LOG_PID | LOG_NDELAY, LOG_LOCAL3);
        Proxy(log, critical) << "from local3";
    }

    // LOG_LOCAL3 is 19 << 3 = 152, critical adds 2.
    std::string datagram = devlog.receive();
    EXPECT_TRUE(carries(datagram, "<154>", "from local3"));
    EXPECT_NE(std::string::npos, datagram.find(" kestrava-test[")) << datagram;
}

TEST(SyslogTest, ConnectsWhenMadeNotAtTheFirstLine)
{
    if (!insideNamespace()) return runInNamespace();

    // Connected at once, the listener keeps sending to the socket that was
    // at /dev/log when it was made; a late connection would find the new one.
    DevLog devlog;
    Log log(info, nullptr);
    {
        Syslog syslog(log);
        devlog.replace();
        Proxy(log, info) << "first line";
    }
    EXPECT_TRUE(carries(devlog.receive(), "<14>", "first line"));
    EXPECT_FALSE(devlog.replacementReceived());
}
