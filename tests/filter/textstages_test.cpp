#include "filter/append.h"
#include "filter/bufferuntil.h"
#include "filter/escape.h"
#include "filter/forceend.h"
#include "filter/linetracker.h"
#include "filter/merge.h"
#include "filter/newlineconverter.h"
#include "filter/replace.h"
#include "filter/rtrim.h"
#include "filter/split.h"
#include "filter/strip.h"
#include "filter/wordwrap.h"

#include "tests/filter/support/chain.h"
#include "tests/filter/support/everycut.h"
#include "tests/filter/support/recorder.h"

#include <gtest/gtest.h>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::expectForEveryCut;
using Check::stage;
using Check::throughPieces;
using Check::throughStage;

TEST(TextStagesTest, NewlineConverterToCrLf)
{
    auto crlf = stage<NewlineConverter>("\r\n", 0);
    expectForEveryCut(crlf, "a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd");
    expectForEveryCut(crlf, "\r\r\n\n\r", "\r\n\r\n\r\n\r\n");
}

TEST(TextStagesTest, NewlineConverterToLf)
{
    auto lf = stage<NewlineConverter>("\n", 1);
    expectForEveryCut(lf, "a\r\nb\rc\nd", "a\nb\nc\nd");
    expectForEveryCut(lf, "\r\r\n\n\r", "\n\n\n\n");
}

TEST(TextStagesTest, NewlineConverterPassesTheLiteralAsFinalAndTextWithTheCallersFlag)
{
    Check::Recorder sink;
    NewlineConverter converter(&sink, "\r\n", 0);
    converter.process("ab\ncd", true);
    ASSERT_EQ(sink.calls.size(), 3u);
    EXPECT_EQ(sink.calls[1].bytes, "\r\n");
    EXPECT_TRUE(sink.calls[0].final && sink.calls[1].final && sink.calls[2].final);
}

TEST(TextStagesTest, StripMergeRtrimAndEscape)
{
    expectForEveryCut(stage<Strip>(" \t"), "a b\tc  ", "abc");
    expectForEveryCut(stage<Merge>(std::string(" \t"), std::string(" ")), "a \t  b", "a b");
    expectForEveryCut(stage<Merge>(std::string(" "), std::string("_")), "  a", "_a");
    expectForEveryCut(stage<Rtrim>(std::string("\r\n")), "x\r\n\r\n", "x");
    expectForEveryCut(stage<Rtrim>(std::string("\r\n")), "x\r\ny\n", "x\r\ny");
    expectForEveryCut(stage<Escape>("\\\"", '\\'), "a\"b\\c", "a\\\"b\\\\c");
}

TEST(TextStagesTest, StripMakesNoCallForAnEmptyChunk)
{
    Check::Recorder sink;
    Strip strip(&sink, " ");
    EXPECT_EQ(strip.process("   ", false), 0u);
    EXPECT_EQ(strip.process("", false), 0u);
    EXPECT_TRUE(sink.calls.empty());
}

TEST(TextStagesTest, ReplaceFindsMatchesAcrossChunks)
{
    auto replace = stage<Replace>("ab", "X");
    expectForEveryCut(replace, "cab", "cX");
    EXPECT_EQ(throughPieces(replace, {"ca", "c"}), "cac");
    expectForEveryCut(replace, "abab", "XX");
    expectForEveryCut(replace, "a", "a"); // a partial match at the end is written
}

TEST(TextStagesTest, ReplaceRestartsInsideTheBytesCompared)
{
    expectForEveryCut(stage<Replace>("ab", "X"), "aab", "aX");
    EXPECT_EQ(throughPieces(stage<Replace>("ab", "X"), {"a", "a", "b"}), "aX");
    expectForEveryCut(stage<Replace>("ab", "X"), "aaab", "aaX");
    expectForEveryCut(stage<Replace>("aab", "-"), "aaaab", "aa-");
    expectForEveryCut(stage<Replace>("abac", "!"), "ababac", "ab!");
    expectForEveryCut(stage<Replace>("\r\n.", "\r\n.."), "a\r\r\n.b", "a\r\r\n..b");
}

TEST(TextStagesTest, ReplaceAgreesWithASimpleSearch)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round)
    {
        std::string search = Check::randomBytes(random, 1 + round % 4, "ab");
        std::string text = Check::randomBytes(random, round % 40, "abc");
        std::string expected;
        for (size_t i = 0; i < text.size();)
        {
            if (text.compare(i, search.size(), search) == 0)
            {
                expected += "<>";
                i += search.size();
            }
            else
                expected += text[i++];
        }
        auto make = [&](Result* next)
        { return std::make_unique<Replace>(next, search.c_str(), "<>"); };
        EXPECT_EQ(throughPieces(make, Check::cutRandomly(text, random, 5)), expected)
            << search << " in " << text;
    }
}

TEST(TextStagesTest, AppendAndForceEndWriteWhenDestroyed)
{
    EXPECT_EQ(throughStage(stage<Append>("\r\n"), "abc"), "abc\r\n");
    auto forceEnd = stage<ForceEnd>("\r\n");
    expectForEveryCut(forceEnd, "abc", "abc\r\n");
    expectForEveryCut(forceEnd, "abc\r", "abc\r\n");
    expectForEveryCut(forceEnd, "abc\r\n", "abc\r\n");
    expectForEveryCut(forceEnd, "\r\n\r", "\r\n\r\n");
    EXPECT_EQ(throughStage(forceEnd, ""), "\r\n");
    expectForEveryCut(stage<ForceEnd>("abab"), "xabaaba", "xabaabab");
}

TEST(TextStagesTest, SplitNeverEndsWithASeparator)
{
    auto split = stage<Split>(size_t(76), std::string("\r\n"));
    std::string line(76, 'a');
    EXPECT_EQ(throughStage(split, std::string(152, 'a')), line + "\r\n" + line);
    EXPECT_EQ(throughPieces(split, {line, line}), line + "\r\n" + line);
    EXPECT_EQ(throughPieces(split, {line, "", line}), line + "\r\n" + line);
    EXPECT_EQ(throughStage(split, std::string(153, 'a')), line + "\r\n" + line + "\r\na");
    expectForEveryCut(stage<Split>(size_t(2), std::string("|")), "abcde", "ab|cd|e");
}

TEST(TextStagesTest, BufferUntilWritesEachWordInOneCall)
{
    Check::Recorder sink;
    {
        BufferUntil words(&sink, " ");
        words.process("a  b", true);
        ASSERT_EQ(sink.calls.size(), 2u);
        EXPECT_EQ(sink.calls[0].bytes, "a");
        EXPECT_EQ(sink.calls[1].bytes, "");
        EXPECT_EQ(words.pending(), BufferSize(1, 1));
        words.process("cd é", false);
        ASSERT_EQ(sink.calls.size(), 3u);
        EXPECT_EQ(sink.calls[2].bytes, "bcd");
        EXPECT_EQ(words.pending(), BufferSize(3, 2));
        words.flush();
        EXPECT_EQ(sink.flushes, 1);
        EXPECT_EQ(words.pending(), BufferSize(1, 1));
        words.process("f", false);
    }
    ASSERT_EQ(sink.calls.size(), 5u);
    EXPECT_EQ(sink.calls[3].bytes, "é");
    EXPECT_EQ(sink.calls[4].bytes, "f");
}

TEST(TextStagesTest, LineTrackerMeasuresTheCurrentLine)
{
    std::string output;
    String sink(&output);
    LineTracker tracker(&sink);
    tracker.process("Subject: x\r\n", true);
    EXPECT_EQ(tracker.size(), BufferSize(1, 1));
    tracker.process("ab", true);
    EXPECT_EQ(tracker.size(), BufferSize(3, 3));
    tracker.process("é", true);
    EXPECT_EQ(tracker.size(), BufferSize(5, 4));
    EXPECT_EQ(output, "Subject: x\r\nabé");
}

/// A word wrap writing to a line tracker at a given position.
struct Wrapped
{
    explicit Wrapped(const std::string& start) : sink(&output), tracker(&sink)
    {
        tracker.process(start.data(), start.size(), false);
        output.clear();
    }
    std::string output;
    String sink;
    LineTracker tracker;
};

TEST(TextStagesTest, WordWrapFoldsAtThePreferredLength)
{
    for (const char* word : {"abcdefg", "abcdefgh"})
    {
        Wrapped line(std::string(68, 'x'));
        {
            WordWrap wrap(&line.tracker, BufferSize(998, 78));
            wrap.process("ab ", false);
            wrap.process(word, false);
        }
        bool folds = std::string(word).size() == 8;
        EXPECT_EQ(line.output, std::string("ab") + (folds ? "\r\n " : " ") + word);
    }
}

TEST(TextStagesTest, WordWrapPutsALongWordOnALineOfItsOwnAndMergesBlanks)
{
    Wrapped line("Key: ");
    std::string longWord(100, 'w');
    {
        WordWrap wrap(&line.tracker, BufferSize(998, 78));
        wrap.process("a \t\r\n b " + longWord + " c");
    }
    EXPECT_EQ(line.output, "a b\r\n " + longWord + "\r\n c");
}

TEST(TextStagesTest, WordWrapTellsWhereThePendingWordWillEnd)
{
    Wrapped line("Key: ");
    WordWrap wrap(&line.tracker, BufferSize(998, 78));
    EXPECT_EQ(wrap.size(), BufferSize(5, 5));
    wrap.process("abc", false);
    EXPECT_EQ(wrap.size(), BufferSize(5 + 3 + 1, 5 + 3 + 1));
    wrap.process(" ", false);
    wrap.process(std::string(75, 'z'));
    // It will start a new line, after the blank that stood before it.
    EXPECT_EQ(wrap.size(), BufferSize(77, 77));
}

} // namespace
} // namespace Filter
} // namespace Kestrava
