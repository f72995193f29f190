#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace Testing
{

/**
 * For a probe program that must not see some library files: moves the
 * process into a mount namespace of its own and covers each of the `count`
 * `paths` (a symbolic link itself, not its target) with the empty file
 * `empty`. Returns 0; 77 when the process may not make a mount namespace;
 * another status, after perror(), when a path cannot be covered.
 */
inline int hideFiles(const char* empty, char* const* paths, int count)
{
    if (unshare(CLONE_NEWNS) != 0) return errno == EPERM ? 77 : 3;
    // Nothing mounted here may reach the namespace of the parent.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 3;
    for (int index = 0; index < count; ++index)
    {
        int tree = open_tree(AT_FDCWD, empty, OPEN_TREE_CLONE | OPEN_TREE_CLOEXEC);
        bool moved =
            tree >= 0 && move_mount(tree, "", AT_FDCWD, paths[index], MOVE_MOUNT_F_EMPTY_PATH) == 0;
        if (tree >= 0) close(tree);
        if (!moved)
        {
            std::perror(paths[index]);
            return 4;
        }
    }
    return 0;
}

} // namespace Testing
