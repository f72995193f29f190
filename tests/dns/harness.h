#pragma once

#include "tests/support/failure.h"

#include "dns/handler.h"
#include "dns/loop/libev.h"

#include <functional>
#include <string>
#include <vector>

struct ev_loop;

namespace DNS
{
class Operation;
class Response;
} // namespace DNS

namespace Testing
{

/// A private libev loop with the resolver's adapter over it.
class TestLoop
{
public:
    explicit TestLoop(bool reference = true);
    TestLoop(const TestLoop&) = delete;
    TestLoop& operator=(const TestLoop&) = delete;
    ~TestLoop();

    DNS::LibEv* dns() { return &_adapter; }
    struct ev_loop* ev() { return _loop; }
    /// Runs the loop until it has nothing left to do; false when it was
    /// still busy after the limit and had to be stopped.
    bool run(double limit = 20.0);

private:
    struct ev_loop* _loop;
    DNS::LibEv _adapter;
};

/// A file with the given contents that is removed with this object.
class TempFile
{
public:
    explicit TempFile(const std::string& contents);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    const char* path() const { return _path.c_str(); }

private:
    std::string _path;
};

/// What a lookup reported.
struct Outcome
{
    enum Kind
    {
        none,
        received,
        timeout,
        cancelled
    };
    Kind kind = none;
    int rcode = -1;
    bool truncated = false;
    /// The answer section, each record as text: addresses, PTR names, TXT
    /// data with its strings joined.
    std::vector<std::string> answers;
    const DNS::Operation* operation = nullptr;
};

/// A handler that records what it is told, and counts the calls.
class Recorder : public DNS::Handler
{
public:
    void onReceived(const DNS::Operation* operation, const DNS::Response& response) override;
    void onTimeout(const DNS::Operation* operation) override;
    void onCancelled(const DNS::Operation* operation) override;

    Outcome outcome;
    int calls = 0;
};

/// The answer section of a response as text (see Outcome::answers).
std::vector<std::string> answers(const DNS::Response& response);

/// Fails the current test unless it runs inside namespace.sh.
bool inNamespace();
/// The scripted server's log lines so far.
std::vector<std::string> serverLog();
/// The log lines that contain every one of the words.
std::vector<std::string> serverLog(const std::vector<std::string>& words);
/// Which of the names the scripted server was asked, in the order asked,
/// once per query.
std::vector<std::string> askedNames(const std::vector<std::string>& names);

} // namespace Testing
