// DKIM verification as a receiving server does it, beside libopendkim: a
// 100 KiB message with five signatures (the four canonicalisation pairs,
// keys of 1024, 2048 and 4096 bits), every key asked of the name server
// anew for each message. dnsmasq serves the keys on loopback in a private
// network and mount namespace of the driver's own (run it as root), with a
// resolv.conf of ours mounted over the system's, for both sides. Rounds of
// ours and of libopendkim (a process of its own, told how many messages to
// verify) alternate; the medians per message and their ratio are printed.
// Then our own figures for ARC validation and sealing of the message with
// a chain of three sets, and for signing it.
//   mime_dkim_receiver_benchmark [ROUNDS [MESSAGES]]
#include "benchmarks/mime/files.h"
#include "dns/blocking/context.h"
#include "mime/arc/arcpublickeys.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcstatus.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/capabilities.h"
#include "mime/dkim/canonicalization.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignatures.h"
#include "mime/object.h"
#include "openssl/privatekey.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kestrava::Mime;
using Bench::command;
using Bench::slurp;
using Bench::spit;

namespace
{

std::string directory;

/// A private network and mount namespace with loopback up: port 53 and
/// /etc/resolv.conf are ours.
void isolate()
{
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        throw std::runtime_error(std::string("unshare: ") + strerror(errno) + " (run as root)");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw std::runtime_error("cannot make the mounts private");
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    strcpy(request.ifr_name, "lo");
    if (ioctl(fd, SIOCGIFFLAGS, &request) != 0) throw std::runtime_error("cannot read lo");
    request.ifr_flags |= IFF_UP;
    if (ioctl(fd, SIOCSIFFLAGS, &request) != 0) throw std::runtime_error("cannot bring lo up");
    close(fd);
    spit(directory + "/resolv.conf", "nameserver 127.0.0.1\noptions timeout:1 attempts:2\n");
    if (mount((directory + "/resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND,
              nullptr) != 0)
        throw std::runtime_error("cannot mount over /etc/resolv.conf");
}

/// One signing key: its PEM file and the base64 of its public half.
struct SigningKey
{
    std::string pem;
    std::string base64;
};

SigningKey makeKey(int bits)
{
    std::string path = directory + "/key" + std::to_string(bits) + ".pem";
    command("openssl genrsa -out " + path + " " + std::to_string(bits) + " 2>/dev/null");
    std::istringstream lines(command("openssl rsa -in " + path + " -pubout 2>/dev/null"));
    SigningKey key{slurp(path), ""};
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("-----", 0) != 0) key.base64 += line;
    return key;
}

/// A process of ours, stopped when the object goes.
class Child
{
public:
    explicit Child(pid_t pid) : _pid(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        kill(_pid, SIGTERM);
        waitpid(_pid, nullptr, 0);
    }

private:
    pid_t _pid;
};

/// dnsmasq serving each selector's key record, cut into character-strings.
pid_t startDnsmasq(const std::vector<std::pair<std::string, const SigningKey*>>& selectors)
{
    std::vector<std::string> arguments = {"dnsmasq",
                                          "--keep-in-foreground",
                                          "--conf-file=/dev/null",
                                          "--no-resolv",
                                          "--no-hosts",
                                          "--no-poll",
                                          "--bind-interfaces",
                                          "--listen-address=127.0.0.1",
                                          "--port=53",
                                          "--user=root",
                                          "--pid-file=",
                                          "--log-facility=/dev/null",
                                          "--local=/example.com/"};
    for (const auto& selector : selectors)
    {
        std::string record =
            "--txt-record=" + selector.first + "._domainkey.example.com,v=DKIM1; k=rsa; ";
        const std::string& base64 = selector.second->base64;
        for (size_t i = 0; i < base64.size(); i += 250)
            record += (i == 0 ? ",p=" : ",") + base64.substr(i, 250);
        arguments.push_back(record);
    }
    pid_t pid = fork();
    if (pid == 0)
    {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(&argument[0]);
        argv.push_back(nullptr);
        execv("/usr/sbin/dnsmasq", argv.data());
        _exit(127);
    }
    return pid;
}

/// The message of a receiving server: a few header fields, 100 KiB of text
/// lines with runs of blanks and trailing blanks, which relaxed and simple
/// canonicalisation treat apart.
std::string message()
{
    std::string text =
        "Received: from mail.example.com (mail.example.com [192.0.2.1])\r\n\tby mx.example.net "
        "with ESMTPS id 4QxYz; Fri, 11 Jul 2003 21:01:54 -0700\r\nFrom: Joe SixPack "
        "<joe@example.com>\r\nTo: Suzie Q <suzie@example.net>\r\nSubject: Is dinner ready?\r\n"
        "Date: Fri, 11 Jul 2003 21:00:37 -0700\r\nMessage-ID: <20030712040037.46341.5F8J@"
        "example.com>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n";
    const char* const lines[] = {
        "Hi.\r\n",
        "We lost the game.  Are you hungry yet?\r\n",
        "Lorem ipsum dolor sit amet,  consectetur \t adipiscing elit, sed do eiusmod tempor. \r\n",
        "Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip.\r\n",
        "\r\n",
        "Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu.\t\r\n"};
    for (size_t i = 0; text.size() < 100 * 1024; ++i)
        text += lines[i % (sizeof lines / sizeof *lines)];
    return text + "Joe.\r\n";
}

/// `text` signed by each selector with its key and canonicalisation, the
/// last one's signature on top.
std::string signedMessage(std::string text, const std::vector<SigningKey>& keys)
{
    struct Signing
    {
        const char* selector;
        size_t key;
        Canonicalization canonicalization;
    };
    const Signing signings[] = {{"s1", 0, Canonicalization(true, true)},
                                {"s2", 1, Canonicalization(true, false)},
                                {"s3", 2, Canonicalization(false, true)},
                                {"s4", 1, Canonicalization(false, false)},
                                {"s5", 0, Canonicalization(false, false)}};
    for (const Signing& signing : signings)
    {
        Object object(text.data(), text.size());
        Kestrava::OpenSSL::PrivateKey pem(keys[signing.key].pem.c_str());
        if (!object.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", signing.selector),
                         0, false, signing.canonicalization))
            throw std::runtime_error("cannot sign");
        text = object.str(true);
    }
    return text;
}

/// Our verification as a receiving server: every signature, keys looked up.
void verify(const std::string& text)
{
    Object object(text.data(), text.size());
    DkimSignatures signatures(object);
    AuthenticationResults results("mx.example.net");
    Kestrava::Dns::Context context;
    results.add(context, object, signatures);
    if (results.results.size() != 5) throw std::runtime_error("signatures missing");
    for (const AuthenticationResult& result : results.results)
        if (result.result != "pass")
            throw std::runtime_error("verification failed: " + result.reason);
}

/// `text` with a new ARC set sealed by `selector`, its chain validated first.
std::string sealed(const std::string& text, const Kestrava::OpenSSL::PrivateKey& pem,
                   const char* selector)
{
    std::string results = "mx.example.net; dkim=pass header.d=example.com";
    Object object(text.data(), text.size());
    Kestrava::Dns::Context context;
    if (!object.resign(context, Capabilities::utf8(), DkimKey(pem.key(), "example.com", selector),
                       AuthenticationResults(results.data(), results.size(), true), 0, false))
        throw std::runtime_error("cannot seal");
    return object.str(true);
}

void validate(const std::string& text)
{
    Object object(text.data(), text.size());
    ArcSignatures signatures(object);
    Kestrava::Dns::Context context;
    ArcPublicKeys keys(context, signatures);
    ArcStatus status(object, signatures, keys);
    if (status.result != ArcStatus::cvpass) throw std::runtime_error("chain: " + status.reason);
}

/// libopendkim's verifier in a process of its own, verifying on request.
class Opendkim
{
public:
    explicit Opendkim(const std::string& path)
    {
        int requests[2], answers[2];
        // Close-on-exec: the child must see the end of the requests.
        if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        _pid = fork();
        if (_pid == 0)
        {
            dup2(requests[0], 0);
            dup2(answers[1], 1);
            execl(KESTRAVA_OPENDKIM_VERIFY, "opendkim_verify", "dns", path.c_str(), "-",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(requests[0]);
        close(answers[1]);
        _requests = fdopen(requests[1], "w");
        _answers = fdopen(answers[0], "r");
    }
    ~Opendkim()
    {
        fclose(_requests);
        fclose(_answers);
        waitpid(_pid, nullptr, 0);
    }
    /// Nanoseconds per message over `messages` verifications.
    double run(int messages)
    {
        fprintf(_requests, "%d\n", messages);
        fflush(_requests);
        char line[64];
        if (fgets(line, sizeof line, _answers) == nullptr)
            throw std::runtime_error("libopendkim did not answer");
        double nanoseconds = std::atof(line);
        if (nanoseconds <= 0) throw std::runtime_error("libopendkim failed to verify");
        return nanoseconds;
    }

private:
    pid_t _pid;
    FILE* _requests;
    FILE* _answers;
};

/// Nanoseconds per call over `calls`.
double timed(int calls, const std::function<void()>& call)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        call();
    std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int run(int rounds, int messages)
{
    std::vector<SigningKey> keys = {makeKey(1024), makeKey(2048), makeKey(4096)};
    Child dnsmasq(startDnsmasq({{"s1", &keys[0]},
                                {"s2", &keys[1]},
                                {"s3", &keys[2]},
                                {"s4", &keys[1]},
                                {"s5", &keys[0]},
                                {"a1", &keys[1]},
                                {"a2", &keys[2]},
                                {"a3", &keys[0]}}));
    std::string text = signedMessage(message(), keys);
    spit(directory + "/message.eml", text);
    // dnsmasq is up once our first verification passes.
    for (int attempt = 0;; ++attempt)
    {
        try
        {
            verify(text);
            break;
        }
        catch (const std::exception&)
        {
            if (attempt == 50) throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    Opendkim opendkim(directory + "/message.eml");
    opendkim.run(1);

    std::vector<double> ours, theirs;
    for (int round = 0; round < rounds; ++round)
    {
        ours.push_back(timed(messages, [&] { verify(text); }));
        theirs.push_back(opendkim.run(messages));
    }
    double our = median(ours) / 1e6, their = median(theirs) / 1e6;
    std::printf("DKIM verification of %zu bytes, 5 signatures, keys from DNS: ours %.3f ms, "
                "libopendkim %.3f ms per message; time ratio %.2f (medians of %d interleaved "
                "rounds of %d)\n",
                text.size(), our, their, our / their, rounds, messages);

    Kestrava::OpenSSL::PrivateKey pems[] = {Kestrava::OpenSSL::PrivateKey(keys[0].pem.c_str()),
                                            Kestrava::OpenSSL::PrivateKey(keys[1].pem.c_str()),
                                            Kestrava::OpenSSL::PrivateKey(keys[2].pem.c_str())};
    std::string chain = sealed(sealed(sealed(text, pems[1], "a1"), pems[2], "a2"), pems[0], "a3");
    int calls = std::max(1, messages / 2);
    std::vector<double> validation, sealing, signing;
    DkimKey signer(pems[1].key(), "example.com", "s2");
    for (int round = 0; round < rounds; ++round)
    {
        validation.push_back(timed(calls, [&] { validate(chain); }));
        sealing.push_back(timed(calls, [&] { sealed(chain, pems[1], "a1"); }));
        signing.push_back(timed(calls,
                                [&]
                                {
                                    Object object(text.data(), text.size());
                                    if (!object.sign(Capabilities::utf8(), signer, 0, false,
                                                     Canonicalization(false, false)))
                                        throw std::runtime_error("cannot sign");
                                }));
    }
    std::printf("ARC validation of three sets %.3f ms, sealing a fourth %.3f ms, DKIM signing "
                "(2048 bits, relaxed) %.3f ms per message (medians)\n",
                median(validation) / 1e6, median(sealing) / 1e6, median(signing) / 1e6);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    int messages = argc > 2 ? std::atoi(argv[2]) : 200;
    char pattern[] = "/tmp/kestrava-receiver-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    directory = pattern;
    int status = 1;
    try
    {
        isolate();
        status = run(std::max(1, rounds), std::max(1, messages));
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
    }
    umount("/etc/resolv.conf");
    command("rm -rf " + directory);
    return status;
}
