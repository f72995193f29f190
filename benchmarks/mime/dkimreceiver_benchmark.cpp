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
// Other shapes, signed by another signer (dkimpy) with one key of 2048
// bits, relaxed/relaxed, in place of the five signatures: SHAPE "small",
// 2.5 KiB of text and rsa-sha256; "received" with 60 Received fields above
// and 30 more fields, all signed; "large", a 1 MiB body; "length", 100 KiB
// signed with l= and a footer added; "sha1", rsa-sha1; "failing", a body
// changed after signing; "keyforms", a key record with h=, s=, t= and
// blanks in p=.
//   mime_dkim_receiver_benchmark [ROUNDS [MESSAGES [SHAPE]]]
#include "benchmarks/mime/files.h"
#include "benchmarks/privatenetwork.h"
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
#include <signal.h>
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

/// A private network and mount namespace, with a resolv.conf of ours.
void isolate()
{
    Bench::enterPrivateNetwork();
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

/// The key record of the key: "v=DKIM1; k=rsa; p=" and its base64, or with
/// `forms` more tags and p= in blank-separated pieces.
std::string record(const SigningKey& key, bool forms = false)
{
    if (!forms) return "v=DKIM1; k=rsa; p=" + key.base64;
    std::string text = "v=DKIM1; h=sha256; k=rsa; s=email; t=s; p=";
    for (size_t i = 0; i < key.base64.size(); i += 64)
        text += (i == 0 ? "" : " ") + key.base64.substr(i, 64);
    return text;
}

/// dnsmasq serving each selector's key record, cut into character-strings.
pid_t startDnsmasq(const std::vector<std::pair<std::string, std::string>>& selectors)
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
        std::string option = "--txt-record=" + selector.first + "._domainkey.example.com";
        for (size_t i = 0; i < selector.second.size(); i += 250)
            option += "," + selector.second.substr(i, 250);
        arguments.push_back(option);
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

/// The message of a receiving server: `received` more Received fields and
/// `fields` X-Field-N fields, a few others, `size` bytes of text lines with
/// runs of blanks and trailing blanks, which relaxed and simple
/// canonicalisation treat apart.
std::string message(size_t size = 100 * 1024, int received = 0, int fields = 0)
{
    std::string text;
    for (int i = 0; i < received; ++i)
        text += "Received: from relay" + std::to_string(i) + ".example.org (relay" +
                std::to_string(i) + ".example.org [198.51.100." + std::to_string(i) +
                "])\r\n\tby mx.example.net with ESMTPS id 4QxYz" + std::to_string(i) +
                "; Fri, 11 Jul 2003 21:01:54 -0700\r\n";
    for (int i = 0; i < fields; ++i)
        text += "X-Field-" + std::to_string(i) + ": value " + std::to_string(i) + "\r\n";
    text += "Received: from mail.example.com (mail.example.com [192.0.2.1])\r\n\tby mx.example.net "
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
    for (size_t i = 0, end = text.size() + size; text.size() < end; ++i)
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

/// The other shapes.
struct Shape
{
    const char* name;
    size_t body;
    int received;
    /// X-Field-N fields, every one signed.
    int fields;
    const char* algorithm;
    /// l= and a footer added after signing.
    bool length;
    /// A body changed after signing: the signature fails.
    bool altered;
    /// See record().
    bool keyForms;
};

const Shape shapes[] = {{"small", 2560, 0, 0, "rsa-sha256", false, false, false},
                        {"received", 2560, 60, 30, "rsa-sha256", false, false, false},
                        {"large", 1024 * 1024, 0, 0, "rsa-sha256", false, false, false},
                        {"length", 100 * 1024, 0, 0, "rsa-sha256", true, false, false},
                        {"sha1", 2560, 0, 0, "rsa-sha1", false, false, false},
                        {"failing", 2560, 0, 0, "rsa-sha256", false, true, false},
                        {"keyforms", 2560, 0, 0, "rsa-sha256", false, false, true}};

/// The message of the shape signed by dkimpy with the key as "p1".
std::string peerSigned(const Shape& shape, const SigningKey& key)
{
    spit(directory + "/unsigned.eml", message(shape.body, shape.received, shape.fields));
    spit(directory + "/signing.pem", key.pem);
    spit(directory + "/sign.py",
         "import dkim, sys\n"
         "m = open(sys.argv[1], 'rb').read()\n"
         "h = [b'from', b'to', b'subject', b'date', b'message-id', b'mime-version',\n"
         "     b'content-type'] + [b'x-field-%d' % i for i in range(int(sys.argv[4]))]\n"
         "s = dkim.sign(m, b'p1', b'example.com', open(sys.argv[2], 'rb').read(),\n"
         "              canonicalize=(b'relaxed', b'relaxed'), include_headers=h,\n"
         "              signature_algorithm=sys.argv[3].encode(), length=sys.argv[5] == '1',\n"
         "              linesep=b'\\r\\n')\n"
         "open(sys.argv[6], 'wb').write(s + m)\n");
    command("/usr/bin/python3 " + directory + "/sign.py " + directory + "/unsigned.eml " +
            directory + "/signing.pem " + shape.algorithm + " " + std::to_string(shape.fields) +
            " " + (shape.length ? "1 " : "0 ") + directory + "/signed.eml");
    std::string text = slurp(directory + "/signed.eml");
    if (text.rfind("DKIM-Signature:", 0) != 0) throw std::runtime_error("dkimpy did not sign");
    if (shape.length) text += "-- \r\nThe list's footer, not signed.\r\n";
    if (shape.altered) text.replace(text.rfind("Joe."), 4, "Moe.");
    return text;
}

/// Our verification as a receiving server: every signature, keys looked up;
/// each one passes, or fails on its body hash.
void verify(const std::string& text, size_t count = 5, bool passes = true)
{
    Object object(text.data(), text.size());
    DkimSignatures signatures(object);
    AuthenticationResults results("mx.example.net");
    Kestrava::Dns::Context context;
    results.add(context, object, signatures);
    if (results.results.size() != count) throw std::runtime_error("signatures missing");
    for (const AuthenticationResult& result : results.results)
        if (passes ? result.result != "pass" : result.reason != "Body hash does not match")
            throw std::runtime_error("verification: " + result.result + " " + result.reason);
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
    Opendkim(const std::string& path, bool passes)
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
                  passes ? nullptr : "fail", static_cast<char*>(nullptr));
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

int run(int rounds, int messages, const std::string& shapeName)
{
    std::vector<SigningKey> keys = {makeKey(1024), makeKey(2048), makeKey(4096)};
    const Shape* shape = nullptr;
    for (const Shape& known : shapes)
        if (shapeName == known.name) shape = &known;
    if (shape == nullptr && shapeName != "five") throw std::runtime_error("no shape " + shapeName);
    Child dnsmasq(startDnsmasq({{"s1", record(keys[0])},
                                {"s2", record(keys[1])},
                                {"s3", record(keys[2])},
                                {"s4", record(keys[1])},
                                {"s5", record(keys[0])},
                                {"a1", record(keys[1])},
                                {"a2", record(keys[2])},
                                {"a3", record(keys[0])},
                                {"p1", record(keys[1], shape && shape->keyForms)}}));
    std::string text = shape ? peerSigned(*shape, keys[1]) : signedMessage(message(), keys);
    size_t count = shape ? 1 : 5;
    bool passes = !shape || !shape->altered;
    spit(directory + "/message.eml", text);
    // dnsmasq is up once our first verification passes.
    for (int attempt = 0;; ++attempt)
    {
        try
        {
            verify(text, count, passes);
            break;
        }
        catch (const std::exception&)
        {
            if (attempt == 50) throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    Opendkim opendkim(directory + "/message.eml", passes);
    opendkim.run(1);

    std::vector<double> ours, theirs;
    for (int round = 0; round < rounds; ++round)
    {
        ours.push_back(timed(messages, [&] { verify(text, count, passes); }));
        theirs.push_back(opendkim.run(messages));
    }
    double our = median(ours) / 1e6, their = median(theirs) / 1e6;
    std::printf("DKIM verification (%s) of %zu bytes, %zu signature%s, keys from DNS: ours %.3f "
                "ms, libopendkim %.3f ms per message; time ratio %.2f (medians of %d "
                "interleaved rounds of %d)\n",
                shapeName.c_str(), text.size(), count, count == 1 ? "" : "s", our, their,
                our / their, rounds, messages);
    if (shape) return 0;

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
    std::string shape = argc > 3 ? argv[3] : "five";
    char pattern[] = "/tmp/kestrava-receiver-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    directory = pattern;
    int status = 1;
    try
    {
        isolate();
        status = run(std::max(1, rounds), std::max(1, messages), shape);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
    }
    umount("/etc/resolv.conf");
    command("rm -rf " + directory);
    return status;
}
