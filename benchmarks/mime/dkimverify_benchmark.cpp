// Verifying a 10 KiB message with one 2048-bit rsa-sha256 signature, the key
// given; then libopendkim (key from a file), dkimpy and Mail::DKIM verifying
// the same message in processes of their own, for the ratios. Also every
// signature of a message that holds several: the time per signature should
// not grow with their number.
#include "benchmarks/mime/files.h"
#include "mime/dkim/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "openssl/publickey.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

using namespace Kestrava::Mime;
using Bench::command;
using Bench::slurp;
using Bench::spit;

namespace
{

std::string directory;
std::string text;
std::string signedMessage;
std::string publicBase64;

/// The key, the signed message and the key record files in a fresh directory.
void prepare()
{
    char pattern[] = "/tmp/kestrava-dkim-XXXXXX";
    directory = mkdtemp(pattern);
    command("openssl genrsa -out " + directory + "/key.pem 2048 2>/dev/null");
    std::istringstream lines(
        command("openssl rsa -in " + directory + "/key.pem -pubout 2>/dev/null"));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("-----", 0) != 0) publicBase64 += line;
    text = "From: Joe <joe@example.com>\r\nTo: sue@example.net\r\n"
                       "Subject: a benchmark\r\nDate: Fri, 11 Jul 2003 21:00:37 -0700\r\n"
                       "Message-ID: <bench@example.com>\r\n\r\n";
    while (text.size() < 10240)
        text += "Lorem ipsum dolor sit amet,  consectetur \t adipiscing elit, sed do eiusmod.\r\n";
    Object message(text.data(), text.size());
    Kestrava::OpenSSL::PrivateKey pem(slurp(directory + "/key.pem").c_str());
    if (!message.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", "peer"), 0, false,
                      Canonicalization(false, false)))
        throw std::runtime_error("cannot sign");
    signedMessage = message.str(true);
    spit(directory + "/message.eml", signedMessage);
    spit(directory + "/record.txt", "v=DKIM1; k=rsa; p=" + publicBase64);
    spit(directory + "/keys.txt",
         "peer._domainkey.example.com v=DKIM1; k=rsa; p=" + publicBase64 + "\n");
}

void BM_DkimVerify(benchmark::State& state)
{
    Kestrava::OpenSSL::PublicKey key(publicBase64.c_str());
    for (auto _ : state)
    {
        Object message(signedMessage.data(), signedMessage.size());
        const Value& value = message.header.get("dkim-signature");
        DkimSignature signature(value.data, value.size, true, false);
        DkimStatus status(signature);
        if (status.initialize(message, signature, key, false) != Status::pass)
            state.SkipWithError("verification failed");
    }
}
BENCHMARK(BM_DkimVerify)->Unit(benchmark::kMicrosecond);

void BM_DkimVerifyEach(benchmark::State& state)
{
    Object message(text.data(), text.size());
    Kestrava::OpenSSL::PrivateKey pem(slurp(directory + "/key.pem").c_str());
    for (int64_t i = 0; i < state.range(0); ++i)
    {
        std::string selector = "s" + std::to_string(i);
        message.sign(Capabilities::utf8(), DkimKey(pem.key(), "example.com", selector), 0, false,
                     Canonicalization(false, false));
    }
    std::string written = message.str(true);
    Kestrava::OpenSSL::PublicKey key(publicBase64.c_str());
    for (auto _ : state)
    {
        Object received(written.data(), written.size());
        for (const Value& value : received.header.all("dkim-signature"))
        {
            DkimSignature signature(value.data, value.size, true, false);
            DkimStatus status(signature);
            if (status.initialize(received, signature, key, false) != Status::pass)
                state.SkipWithError("verification failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DkimVerifyEach)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

/// Nanoseconds per verification that a peer reports.
double peer(const std::string& line)
{
    std::string output = command(line + " 2>/dev/null");
    return output.empty() ? 0 : std::atof(output.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::string files = " " + directory + "/message.eml ";
    double opendkim = peer(std::string(KESTRAVA_OPENDKIM_VERIFY) + " " + directory + "/keys.txt" +
                           files + "3000");
    double dkimpy = peer("/usr/bin/python3 " KESTRAVA_MIME_BENCHMARKS "/peers.py " + directory +
                         "/record.txt" + files + "300");
    double mailDkim = peer("perl " KESTRAVA_MIME_BENCHMARKS "/peers.pl " + directory +
                           "/record.txt" + files + "300");
    std::printf("libopendkim %.1f us, dkimpy %.1f us, Mail::DKIM %.1f us per verification\n",
                opendkim / 1000, dkimpy / 1000, mailDkim / 1000);
    command("rm -rf " + directory);
    benchmark::Shutdown();
    return 0;
}
