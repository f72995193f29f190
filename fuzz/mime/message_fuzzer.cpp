// Parses arbitrary bytes as a whole message, writes it for both receivers
// (for one that takes UTF-8 it reads back with the same fields and parts)
// and fits it for a 7-bit one,
// canonicalises it, verifies every DKIM-Signature with a fixed key and signs
// it: verification always gives a word, signing never throws.
#include "fuzz/mime/support.h"
#include "mime/dkim/canonicalization.h"
#include "mime/capabilities.h"
#include "mime/dkim/dkimkey.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/errors.h"
#include "mime/object.h"
#include "openssl/privatekey.h"
#include "openssl/publickey.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

using namespace Kestrava::Mime;

namespace
{

std::string vector(const char* name)
{
    std::ifstream file(std::string("/usr/lib/python3/dist-packages/dkim/tests/data/") + name);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

/// The field names and the parts, nested: what a filter walks.
std::string shape(const Object& object)
{
    std::string text;
    for (const Line& line : object.header)
        text.append(line.key().data, line.key().size) += '\n';
    text += '[';
    for (const Object& part : object.body)
        text += shape(part);
    return text + ']';
}

/// Written where fields go out as they came and read again, the message
/// has the same shape.
void writtenAlike(const Object& message)
{
    std::string written = message.str(true);
    if (written.empty()) return;
    Object again(written.data(), written.size());
    if (shape(again) != shape(message)) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Kestrava::OpenSSL::PublicKey publicKey(
        vector("test.txt").substr(vector("test.txt").find("p=") + 2).c_str());
    static const Kestrava::OpenSSL::PrivateKey privateKey(vector("test.private").c_str());
    std::unique_ptr<char[]> text = exactCopy(data, size);
    std::unique_ptr<Object> message;
    try
    {
        message = std::make_unique<Object>(text.get(), size);
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
    writtenAlike(*message);
    message->str(false);
    // Fitted for a 7-bit receiver: repairing and transcoding every part.
    Object fitted(text.get(), size);
    if (fitted.fix(Capabilities::standard())) fitted.str(false);
    for (const Value& value : message->header.all("dkim-signature"))
    {
        try
        {
            DkimSignature signature(value.data, value.size, true, false);
            DkimStatus status(signature);
            const char* word = status.initialize(*message, signature, publicKey, false);
            if (word != Status::pass && status.reason == nullptr) __builtin_trap();
        }
        catch (const std::runtime_error&)
        {
            // A value that does not parse is no signature.
        }
    }
    DkimKey key(privateKey.key(), "football.example.com", "test");
    if (!message->sign(Capabilities::standard(), key, 0, false, Canonicalization(false, true)))
        return 0;
    std::string written = message->str(false);
    // What was written reads back: an empty part is a part like any other.
    Object received(written.data(), written.size());
    const Value& value = received.header.get("dkim-signature");
    DkimSignature signature(value.data, value.size, true, false);
    DkimStatus status(signature);
    // What we sign and write for a 7-bit receiver verifies there, unless the
    // message holds more than one From, which no verification passes.
    bool oneFrom = received.header.all("from").size() <= 1;
    if (oneFrom && received.encodable(Capabilities::standard()) &&
        status.initialize(received, signature, publicKey, false) != Status::pass)
        __builtin_trap();
    return 0;
}
