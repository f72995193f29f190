#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/**
 * A child program whose standard output and error go to a file. It is
 * killed and reaped with the object unless it was waited for.
 */
class Process
{
public:
    /// With `pipeInput` the child's input stays open, without data, until
    /// the object goes (openssl s_server and s_client end their connection
    /// at the end of their input); otherwise it reads /dev/null.
    Process(const std::vector<std::string>& arguments, const std::string& outputPath,
            bool pipeInput = false);

    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    ~Process();

    /// Writes octets to the child's input (with `pipeInput`); false when
    /// they did not all go.
    bool send(const std::string& octets);

    /// The exit status, or 128 plus the signal that ended the child. Throws
    /// when the child has not ended within `limit`.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(30));

private:
    void closeInput();

    pid_t _pid = -1;
    int _input = -1;
};

/// Runs a shell command to its end; returns its exit status and leaves its
/// standard output and error in `output` when given.
int runShell(const std::string& command, std::string* output = nullptr);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
