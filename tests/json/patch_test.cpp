#include "json/patch.h"

#include "json/value.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <string>

using JsonTest::compact;
using JsonTest::parse;
using Kestrava::JSON::Patch;
using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;
using Operation = Patch::Operation;

namespace {

Operation operation(Operation::Code code, const char* path, const char* value = nullptr,
                    const char* from = "")
{
    return Operation{code, Pointer(std::string(path)), Pointer(std::string(from)),
                     value == nullptr ? Value() : parse(value)};
}

} // namespace

TEST(PatchTest, RunsTheOperationsInOrder)
{
    Value value = parse(R"({"a":1,"list":[1,2]})");
    value.apply(Patch(
        {operation(Operation::test, "/a", "1"), operation(Operation::add, "/b", R"({"c":[]})"),
         operation(Operation::add, "/b/c/-", "5"), operation(Operation::remove, "/list/0"),
         operation(Operation::replace, "/a", "2"),
         operation(Operation::copy, "/d", nullptr, "/b/c"),
         operation(Operation::move, "/e", nullptr, "/list")}));
    EXPECT_TRUE(value.equals(parse(R"({"a":2,"b":{"c":[5]},"d":[5],"e":[2]})"))) << compact(value);
}

TEST(PatchTest, AFailingTestLeavesTheDocumentUnchanged)
{
    Value value = parse(R"({"a":1})");
    value.apply(Patch({operation(Operation::add, "/b", "2"), operation(Operation::remove, "/a"),
                       operation(Operation::test, "/a", "3")}));
    EXPECT_EQ(compact(value), R"({"a":1})");
    value.apply(Patch(
        {operation(Operation::remove, "/a"), operation(Operation::test, "/missing", "null")}));
    EXPECT_EQ(compact(value), R"({"a":1})");
}

TEST(PatchTest, TestsAreJudgedBeforeAnyChange)
{
    Value value = parse(R"({"a":1})");
    // The test sees the document before the add, so the patch is dropped.
    value.apply(
        Patch({operation(Operation::add, "/b", "2"), operation(Operation::test, "/b", "2")}));
    EXPECT_EQ(compact(value), R"({"a":1})");
    // And it passes on the old value although a replace comes first.
    value.apply(
        Patch({operation(Operation::replace, "/a", "5"), operation(Operation::test, "/a", "1")}));
    EXPECT_EQ(compact(value), R"({"a":5})");
}

TEST(PatchTest, SkipsOperationsThatCannotBeMadeAndUnknownCodes)
{
    Value value = parse(R"({"a":1})");
    Operation unknown = operation(Operation::add, "/u", "9");
    unknown.code = static_cast<Operation::Code>(6);
    value.apply(Patch({operation(Operation::remove, "/missing/x"),
                       operation(Operation::add, "/missing/x", "1"),
                       operation(Operation::move, "/b", nullptr, "/missing"), unknown,
                       operation(Operation::add, "/b", "2")}));
    EXPECT_EQ(compact(value), R"({"a":1,"b":2})");
}

TEST(PatchTest, AnEmptyPatchChangesNothing)
{
    Value value = parse("[1]");
    value.apply(Patch());
    EXPECT_EQ(compact(value), "[1]");
}
