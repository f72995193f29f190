// Real messages nobody here wrote (the email test data of Python's own test
// suite), each written back as read and fitted for a 7-bit receiver, then
// read again by Python's email: it must find the same parts, parameters and
// decoded contents in all three, and what fix() promises must hold.
#include "mime/capabilities.h"
#include "mime/object.h"
#include "tests/mime/support/files.h"
#include "tests/mime/support/readings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kestrava::Mime;
using namespace Kestrava::Test;

TEST(CorpusTest, RealMessagesReadTheSameWrittenBackAndFitted)
{
    std::vector<std::string> names = filesIn(KESTRAVA_MIME_CORPUS, "msg_", "");
    ASSERT_GT(names.size(), 40u) << "no corpus in " KESTRAVA_MIME_CORPUS;
    std::vector<std::string> inputs;
    std::vector<std::string> fitted;
    std::vector<std::string> fittedNames;
    for (const std::string& name : names)
    {
        std::string text = fileContents(KESTRAVA_MIME_CORPUS "/" + name);
        Object message(text.data(), text.size());
        inputs.push_back(text);
        inputs.push_back(message.str(true));
        bool promised = message.fix(Capabilities::standard());
        inputs.push_back(message.str(false));
        if (!promised) continue;
        fitted.push_back(inputs.back());
        fittedNames.push_back(name);
    }
    std::vector<std::string> readings = pythonReadings(inputs);
    for (size_t i = 0; i < names.size(); ++i)
    {
        SCOPED_TRACE(names[i]);
        const std::string& original = readings[3 * i];
        EXPECT_EQ(readingDifference(readings[3 * i + 1], original), "") << "written back";
        EXPECT_EQ(readingDifference(readings[3 * i + 2], original), "") << "fitted";
    }
    // What fix() answers true for goes to a 7-bit receiver as it stands.
    std::vector<std::string> labels = pythonCompositeLabels(fitted);
    for (size_t i = 0; i < fitted.size(); ++i)
    {
        SCOPED_TRACE(fittedNames[i]);
        EXPECT_EQ(sevenBitFault(fitted[i]), "");
        EXPECT_EQ(labels[i], "");
    }
}
