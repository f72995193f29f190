#include "toolbox/configfile.h"

#include "tests/toolbox/scratchfile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using Kestrava::Toolbox::ConfigFile;

TEST(ConfigFileTest, CommentsNeedTheirMarkInTheFirstColumn)
{
    ScratchFile file("#hidden = 1\n;alsohidden = 2\n #key = v\n\t;other = w\n# a note\n");
    ConfigFile config(file.path());
    EXPECT_EQ("", config.error());
    EXPECT_FALSE(config.exists("hidden"));
    EXPECT_FALSE(config.exists("alsohidden"));
    EXPECT_EQ("v", config.get("#key"));
    EXPECT_EQ("w", config[";other"]);
    EXPECT_EQ(2u, config.values().size());
    EXPECT_TRUE(config.skippedLines().empty());
}

TEST(ConfigFileTest, SplitsAtTheFirstSeparatorAfterTheLeftmostKey)
{
    ScratchFile file("key: v\nequals=v2\na b = c\nchain = b=c\nurl: amqp://host:5672/\n= nameless\n"
                     "no separator here\n\n");
    ConfigFile config(file.path());
    EXPECT_EQ("v", config.get("key"));
    EXPECT_EQ("v2", config.get("equals"));
    EXPECT_EQ("c", config.get("b"));
    EXPECT_FALSE(config.exists("a"));
    EXPECT_EQ("b=c", config.get("chain"));
    EXPECT_EQ("amqp://host:5672/", config.get("url"));
    EXPECT_EQ("nameless", config.get(""));
    EXPECT_EQ(6u, config.values().size());
    // Numbered for the program to report; blank lines are no mistake.
    EXPECT_EQ((std::vector<size_t>{6, 7}), config.skippedLines());
}

TEST(ConfigFileTest, TabsAreBlanksAndTrailingWhiteSpaceGoes)
{
    ScratchFile file(
        "\tkey\t=\tvalue with inner  blanks \t\r\nwindows = line\r\nlast = no newline  ");
    ConfigFile config(file.path());
    EXPECT_EQ("value with inner  blanks", config.get("key"));
    EXPECT_EQ("line", config.get("windows"));
    EXPECT_EQ("no newline", config.get("last"));
}

TEST(ConfigFileTest, RepeatedKeyKeepsItsLastValue)
{
    ScratchFile file("key = first\nkey = second\n");
    EXPECT_EQ("second", ConfigFile(file.path()).get("key"));
}

TEST(ConfigFileTest, LongLinesDoNotEndTheReading)
{
    std::string huge(100000, 'x');
    ScratchFile file("before = 1\nlong = " + huge + "\nafter = 2\n" + std::string(40000, ';') +
                     "\nend = 3\n");
    ConfigFile config(file.path());
    EXPECT_EQ("1", config.get("before"));
    EXPECT_EQ(huge, config.get("long"));
    EXPECT_EQ("2", config.get("after"));
    EXPECT_EQ("3", config.get("end"));
}

TEST(ConfigFileTest, KeysBetweenOtherBlanksAreTheExpressionsOwn)
{
    // Blanks other than the space may belong to the key, as the expression
    // has it; text before the last space ahead of the key is dropped.
    ScratchFile file("a\r = b\nx y\r\v z = v\none two\r: three\n\r\r key\r\r = w\n"
                     "a\rb c\rd:e\nword  \f :x\n");
    ConfigFile config(file.path());
    EXPECT_EQ("b", config.get("a\r"));
    EXPECT_EQ("v", config.get("z"));
    EXPECT_EQ("three", config.get("two\r"));
    EXPECT_EQ("w", config.get("key\r\r"));
    EXPECT_EQ("e", config.get("c\rd"));
    EXPECT_EQ("x", config.get("word"));
    EXPECT_EQ(6u, config.values().size());
}

TEST(ConfigFileTest, LongGarbageBeforeAKeyIsReadInOnePass)
{
    // Tried from every start, such a line would keep the reader busy for
    // hours; the test would then run into its time-out.
    std::string garbage(2000000, 'g');
    ScratchFile file(garbage + " key = value\n" + garbage + "\nnext = 1\n");
    ConfigFile config(file.path());
    EXPECT_EQ("value", config.get("key"));
    EXPECT_EQ("1", config.get("next"));
    EXPECT_EQ(2u, config.values().size());
}

TEST(ConfigFileTest, SkipsLinesWithNulBytesAndKeepsTheRest)
{
    ScratchFile file(std::string("good = 1\nbad = va\0lue\nkey\0 = x\n \t\r\nlater = 2\n", 45));
    ConfigFile config(file.path());
    EXPECT_EQ("1", config.get("good"));
    EXPECT_FALSE(config.exists("bad"));
    EXPECT_FALSE(config.exists("key"));
    EXPECT_EQ("2", config.get("later"));
    EXPECT_EQ((std::vector<size_t>{2, 3}), config.skippedLines());
}

TEST(ConfigFileTest, SurvivesBinaryGarbage)
{
    std::mt19937 random(42);
    std::string garbage;
    for (int index = 0; index < 200000; ++index) garbage.push_back(static_cast<char>(random()));
    ScratchFile file(garbage + "\nfinal = kept\n");
    ConfigFile config;
    EXPECT_TRUE(config.parse(file.path()));
    EXPECT_EQ("kept", config.get("final"));
}

TEST(ConfigFileTest, UnreadableFileIsAnErrorThatKeepsEarlierValues)
{
    ScratchFile file("key = value\n");
    ConfigFile config(file.path());

    EXPECT_FALSE(config.parse("/nonexistent/kestrava.conf"));
    EXPECT_EQ("File /nonexistent/kestrava.conf could not be opened", config.error());
    EXPECT_EQ("value", config.get("key"));

    // A directory opens but cannot be read.
    EXPECT_FALSE(config.parse("/tmp"));
    EXPECT_EQ("File /tmp could not be read", config.error());
    EXPECT_EQ("value", config.get("key"));

    EXPECT_TRUE(config.parse(file.path()));
    EXPECT_EQ("", config.error());
}
