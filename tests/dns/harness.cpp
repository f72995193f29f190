#include "tests/dns/harness.h"

#include "dns/message/ip.h"
#include "dns/message/printable.h"
#include "dns/message/record.h"
#include "dns/message/response.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <arpa/nameser.h>
#include <ev.h>
#include <unistd.h>

namespace Testing
{

TestLoop::TestLoop(bool reference) : _loop(ev_loop_new(0)), _adapter(_loop, reference) {}

TestLoop::~TestLoop()
{
    ev_loop_destroy(_loop);
}

bool TestLoop::run(double limit)
{
    bool fired = false;
    ev_timer watchdog;
    ev_timer_init(
        &watchdog,
        [](struct ev_loop* loop, ev_timer* timer, int)
        {
            *static_cast<bool*>(timer->data) = true;
            ev_break(loop, EVBREAK_ALL);
        },
        limit, 0.0);
    watchdog.data = &fired;
    ev_timer_start(_loop, &watchdog);
    // The watchdog alone must not keep the loop running.
    ev_unref(_loop);
    ev_run(_loop, 0);
    ev_ref(_loop);
    ev_timer_stop(_loop, &watchdog);
    return !fired;
}

TempFile::TempFile(const std::string& contents)
{
    char path[] = "/tmp/kestrava-dns-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    if (write(fd, contents.data(), contents.size()) != ssize_t(contents.size()))
        throw std::runtime_error("cannot write a temporary file");
    close(fd);
    _path = path;
}

TempFile::~TempFile()
{
    unlink(_path.c_str());
}

std::vector<std::string> answers(const DNS::Response& response)
{
    std::vector<std::string> result;
    for (unsigned i = 0; i < response.records(ns_s_an); ++i)
    {
        DNS::Answer answer(response, i);
        switch (answer.type())
        {
        case ns_t_a:
        case ns_t_aaaa:
            result.emplace_back(DNS::Printable(DNS::Ip(answer)));
            break;
        case ns_t_ptr:
        {
            char name[NS_MAXDNAME];
            ns_name_uncompress(response.data(), response.data() + response.size(), answer.data(),
                               name, sizeof name);
            result.emplace_back(name);
            break;
        }
        case ns_t_txt:
        {
            std::string text;
            for (size_t at = 0; at < answer.size(); at += 1 + answer.data()[at])
                text.append(reinterpret_cast<const char*>(answer.data()) + at + 1,
                            answer.data()[at]);
            result.push_back(text);
            break;
        }
        default:
            result.push_back("type " + std::to_string(answer.type()));
        }
    }
    return result;
}

void Recorder::onReceived(const DNS::Operation* operation, const DNS::Response& response)
{
    ++calls;
    outcome.kind = Outcome::received;
    outcome.rcode = response.rcode();
    outcome.truncated = response.truncated();
    outcome.answers = answers(response);
    outcome.operation = operation;
}

void Recorder::onTimeout(const DNS::Operation* operation)
{
    ++calls;
    outcome.kind = Outcome::timeout;
    outcome.operation = operation;
}

void Recorder::onCancelled(const DNS::Operation* operation)
{
    ++calls;
    outcome.kind = Outcome::cancelled;
    outcome.operation = operation;
}

bool inNamespace()
{
    if (getenv("DNS_TEST_LOG")) return true;
    ADD_FAILURE() << "needs the name servers of namespace.sh: run it through ctest";
    return false;
}

std::vector<std::string> serverLog()
{
    std::vector<std::string> lines;
    const char* path = getenv("DNS_TEST_LOG");
    std::ifstream file(path ? path : "");
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> serverLog(const std::vector<std::string>& words)
{
    std::vector<std::string> matching;
    for (const std::string& line : serverLog())
    {
        std::istringstream stream(line);
        std::vector<std::string> fields;
        for (std::string field; stream >> field;)
            fields.push_back(field);
        bool all = true;
        for (const std::string& word : words)
            all = all && std::find(fields.begin(), fields.end(), word) != fields.end();
        if (all) matching.push_back(line);
    }
    return matching;
}

std::vector<std::string> askedNames(const std::vector<std::string>& names)
{
    std::vector<std::string> asked;
    for (const std::string& line : serverLog())
        for (const std::string& name : names)
            if (line.find(" " + name + " ") != std::string::npos) asked.push_back(name);
    return asked;
}

} // namespace Testing
