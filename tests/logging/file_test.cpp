#include "logging/file.h"

#include "logging/log.h"
#include "logging/proxy.h"

#include "tests/logging/scratchdirectory.h"
#include "tests/logging/umask.h"

#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

using Testing::failureOf;
using Kestrava::Logging::File;
using Kestrava::Logging::info;
using Kestrava::Logging::Log;
using Kestrava::Logging::Proxy;
using Kestrava::Logging::warning;

namespace {

/// The user that created log files are given to in these tests.
const passwd* nobody() { return getpwnam("nobody"); }

/// Writes probe lines until one shows up in the file: the writer thread
/// handles file events in its own time.
bool reachesFile(Log& log, const std::string& path)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int probe = 0; std::chrono::steady_clock::now() < deadline; ++probe)
    {
        std::string text = "probe " + std::to_string(probe);
        Proxy(log, info) << text;
        log.flush();
        if (contentOf(path).find(text + "\n") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

/// Whether a line with this text was written to the file.
bool holds(const std::string& path, const std::string& text)
{
    return contentOf(path).find("] " + text + "\n") != std::string::npos;
}

bool writeTo(const char* path, const std::string& text)
{
    std::ofstream file(path);
    file << text;
    file.flush();
    return file.good();
}

/// Runs work in a child process once setup, run there, succeeded; the
/// work's result, or -1 when the setup failed.
int inChild(const std::function<bool()>& setup, const std::function<int()>& work)
{
    pid_t child = fork();
    if (child == 0) _exit(setup() ? work() : 255);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

/// Moves the process into a user namespace of its own whose inotify limit
/// (a file of /proc/sys/user) is 0. Only root itself is mapped, which is all
/// these files need.
bool withoutInotify(const char* limit)
{
    return unshare(CLONE_NEWUSER) == 0 && writeTo("/proc/self/setgroups", "deny") &&
           writeTo("/proc/self/uid_map", "0 0 1") && writeTo("/proc/self/gid_map", "0 0 1") &&
           writeTo((std::string("/proc/sys/user/") + limit).c_str(), "0");
}

bool withoutInotifyWatches()
{
    return withoutInotify("max_inotify_watches");
}

bool withoutInotifyInstances()
{
    return withoutInotify("max_inotify_instances");
}

/// Makes a directory read-only in a mount namespace of the process's own.
bool readOnly(const std::string& directory)
{
    const char* path = directory.c_str();
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(path, path, nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, path, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace

TEST(FileTest, AppendsFormattedLinesToAnExistingFileAndLeavesItsMode)
{
    ScratchDirectory directory;
    std::string path = directory / "app.log";
    std::ofstream(path) << "older content\n";
    chmod(path.c_str(), 0604);

    Log log(info, nullptr);
    {
        File file(log, path.c_str(), "nobody");
        Proxy(log, warning) << "low disk";
        log.flush();
    }

    std::string content = contentOf(path);
    ASSERT_EQ(0u, content.find("older content\n[Warning]  ["));
    EXPECT_EQ(content.size() - 9, content.find("low disk\n"));
    EXPECT_EQ(0604u, statusOf(path).st_mode & 07777);
    EXPECT_EQ(0u, statusOf(path).st_uid);
}

TEST(FileTest, CreatesAMissingFilePrivateToTheUser)
{
    ASSERT_NE(nullptr, nobody());
    Umask mask(022);
    ScratchDirectory directory;
    std::string path = directory / "created.log";

    Log log(info, nullptr);
    File file(log, path.c_str(), "nobody");
    auto status = statusOf(path);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(nobody()->pw_uid, status.st_uid);
    EXPECT_EQ(nobody()->pw_gid, status.st_gid);

    std::string without = directory / "unowned.log";
    File unowned(log, without.c_str(), "no-such-user-kestrava");
    EXPECT_EQ(0640u, statusOf(without).st_mode & 07777);
    EXPECT_EQ(0u, statusOf(without).st_uid);
}

TEST(FileTest, MovedAwayFileIsReplacedByANewPrivateOne)
{
    Umask mask(022);
    ScratchDirectory directory;
    std::string path = directory / "rotate.log";
    std::string moved = directory / "rotate.log.1";

    Log log(info, nullptr);
    File file(log, path.c_str(), "nobody");
    Proxy(log, info) << "before the move";
    log.flush();

    ASSERT_EQ(0, rename(path.c_str(), moved.c_str()));
    ASSERT_TRUE(reachesFile(log, path));
    Proxy(log, info) << "after the move";
    log.flush();

    EXPECT_TRUE(holds(moved, "before the move"));
    EXPECT_FALSE(holds(moved, "after the move"));
    EXPECT_TRUE(holds(path, "after the move"));
    EXPECT_FALSE(holds(path, "before the move"));

    auto status = statusOf(path);
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(nobody()->pw_uid, status.st_uid);

    // The watch moved on to the new file: a second rotation works too.
    std::string second = directory / "rotate.log.2";
    ASSERT_EQ(0, rename(path.c_str(), second.c_str()));
    ASSERT_TRUE(reachesFile(log, path));
    Proxy(log, info) << "after the second move";
    log.flush();
    EXPECT_TRUE(holds(second, "after the move"));
    EXPECT_TRUE(holds(path, "after the second move"));
}

TEST(FileTest, DeletedFileIsMadeAgain)
{
    Umask mask(022);
    ScratchDirectory directory;
    std::string path = directory / "deleted.log";

    Log log(info, nullptr);
    File file(log, path.c_str(), "nobody");
    ASSERT_EQ(0, unlink(path.c_str()));
    ASSERT_TRUE(reachesFile(log, path));
    Proxy(log, info) << "into the new file";
    log.flush();

    EXPECT_TRUE(holds(path, "into the new file"));
    auto status = statusOf(path);
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(nobody()->pw_uid, status.st_uid);
}

TEST(FileTest, FileDeletedAndMadeAgainBySomeoneElseIsTakenUp)
{
    ScratchDirectory directory;
    std::string path = directory / "recreated.log";

    Log log(info, nullptr);
    File file(log, path.c_str());
    Proxy(log, info) << "into the old file";
    log.flush();
    int old = open(path.c_str(), O_RDONLY);
    ASSERT_GE(old, 0);

    // Done on the writer thread, so that both changes have happened before
    // it handles the first event, as when logrotate's "create" is quick.
    log.execute(
        [&] {
            unlink(path.c_str());
            int made = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            close(made);
        },
        true);

    ASSERT_TRUE(reachesFile(log, path));
    Proxy(log, info) << "into the new file";
    log.flush();

    EXPECT_TRUE(holds(path, "into the new file"));
    EXPECT_FALSE(holds(path, "into the old file"));
    EXPECT_EQ(0600u, statusOf(path).st_mode & 07777);

    std::string before = contentOf("/proc/self/fd/" + std::to_string(old));
    close(old);
    EXPECT_NE(std::string::npos, before.find("] into the old file\n"));
    EXPECT_EQ(std::string::npos, before.find("] into the new file\n"));
}

TEST(FileTest, KeepsWritingToTheOpenFileWhenNoneCanBeMadeUnderThePath)
{
    ScratchDirectory directory;
    std::string folder = directory / "logs";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    std::string path = folder + "/app.log";
    std::string moved = directory / "app.log.1";

    Log log(info, nullptr);
    File file(log, path.c_str());

    // The folder goes with the file: the reopen cannot create anything.
    log.execute(
        [&] {
            rename(path.c_str(), moved.c_str());
            rmdir(folder.c_str());
        },
        true);
    for (int line = 0; line < 20; ++line)
    {
        Proxy(log, info) << "line " << line;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    log.flush();

    for (int line = 0; line < 20; ++line)
        EXPECT_TRUE(holds(moved, "line " + std::to_string(line))) << line;
}

TEST(FileTest, RefusesPathsThatAreNoFiles)
{
    ScratchDirectory directory;
    Log log(info, nullptr);

    EXPECT_EQ("Path does not point to a valid file!",
              failureOf([&] { File file(log, directory.path().c_str()); }));

    std::string missing = directory / "no-such-directory/app.log";
    EXPECT_EQ("Cannot access file/directory for reading: " + missing,
              failureOf([&] { File file(log, missing.c_str()); }));

    // Opening a FIFO for writing would block for a reader.
    std::string fifo = directory / "fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ("Path does not point to a valid file!",
              failureOf([&] { File file(log, fifo.c_str()); }));
}

TEST(FileTest, RefusedWatchIsAnErrorAndRegistersNothing)
{
    ScratchDirectory directory;
    std::string path = directory / "unwatched.log";

    int result = inChild(withoutInotifyWatches, [&] {
        Log log(info, nullptr);
        std::string message = failureOf([&] { File file(log, path.c_str()); });
        Proxy(log, info) << "after the failure";
        log.flush();
        if (message != "Cannot watch log file: " + path) return 1;
        return contentOf(path).empty() ? 0 : 2;
    });
    EXPECT_EQ(0, result);
}

TEST(FileTest, FailedInotifyCreationReachesTheConstructor)
{
    ScratchDirectory directory;
    std::string path = directory / "unread.log";

    int result = inChild(withoutInotifyInstances,
                         [&]
                         {
                             Log log(info, nullptr);
                             std::string message = failureOf([&] { File file(log, path.c_str()); });
                             Proxy(log, info) << "after the failure";
                             log.flush();
                             if (message != "Could not create inotify file descriptor!") return 1;
                             return contentOf(path).empty() ? 0 : 2;
                         });
    EXPECT_EQ(0, result);
}

TEST(FileTest, FileThatCannotBeWrittenIsAnError)
{
    ScratchDirectory directory;
    std::string path = directory / "readonly.log";
    std::ofstream(path) << "kept\n";

    int result = inChild([&] { return readOnly(directory.path()); },
                         [&] {
                             Log log(info, nullptr);
                             std::string message = failureOf([&] { File file(log, path.c_str()); });
                             return message == "failed to open logfile" ? 0 : 1;
                         });
    EXPECT_EQ(0, result);
    EXPECT_EQ("kept\n", contentOf(path));
}
