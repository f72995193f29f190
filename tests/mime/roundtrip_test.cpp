// Small hostile messages read and written back. A file whose name starts
// with "lines-" concerns where lines end: we read the field names Python's
// email reads, and written for either receiver and read again, it has the
// same field names. Every other file is written back byte for byte.
#include "mime/capabilities.h"
#include "mime/object.h"
#include "tests/filter/support/python.h"
#include "tests/mime/support/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kestrava::Mime;

namespace
{

std::vector<std::string> fieldNames(const Object& message)
{
    std::vector<std::string> names;
    // A kept "From " line has no name: it is no field.
    for (size_t i = 0; i < message.header.size(); ++i)
        if (message.header.line(i).key().size > 0)
            names.push_back(message.header.line(i).key().copy());
    return names;
}

/// The field names Python's email reads, one per line.
const char* const pythonNames = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.compat32)
    return "".join(name + "\n" for name in message.keys()).encode()
)";

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += name + "\n";
    return text;
}

} // namespace

TEST(RoundTripTest, HostileMessagesReadBackAsTheyCame)
{
    std::vector<std::string> names = Kestrava::Test::filesIn(KESTRAVA_MIME_ROUNDTRIP, "", ".eml");
    ASSERT_FALSE(names.empty());
    std::vector<std::string> texts;
    for (const std::string& name : names)
        texts.push_back(Kestrava::Test::fileContents(KESTRAVA_MIME_ROUNDTRIP "/" + name));
    std::vector<std::string> python = Kestrava::Filter::Check::python(pythonNames, texts);
    for (size_t i = 0; i < names.size(); ++i)
    {
        const std::string& name = names[i];
        const std::string& text = texts[i];
        SCOPED_TRACE(name);
        Object message(text.data(), text.size());
        if (name.compare(0, 6, "lines-") != 0)
        {
            EXPECT_EQ(message.str(true), text);
            continue;
        }
        EXPECT_EQ(joined(fieldNames(message)), python[i]);
        for (bool utf8 : {false, true})
        {
            std::string written = message.str(utf8);
            Object again(written.data(), written.size());
            EXPECT_EQ(fieldNames(again), fieldNames(message)) << "utf8=" << utf8;
        }
    }
}
