// Parses arbitrary bytes; whatever parses must serialise to text that parses
// again to the same text, through any buffer size, and clone to it too;
// the spaced text is the same through dumpto() and to_json_string().

#include "json/function.h"
#include "json/tokenizer.h"
#include "json/value.h"
#include "tests/json/helpers.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using JsonTest::TextProcessor;

namespace {

std::string compact(const Kestrava::JSON::Value& value, size_t bufferSize)
{
    TextProcessor processor;
    std::vector<char> buffer(bufferSize);
    const size_t total = value.dumpto(processor, buffer.data(), buffer.size());
    if (total != processor.text().size()) __builtin_trap();
    return processor.text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    // The first byte picks the serialisation buffer, the rest is the text.
    const size_t bufferSize = 1 + data[0] % 96;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    Kestrava::JSON::Tokenizer tokenizer;
    const Kestrava::JSON::Value value = tokenizer.parse(text);
    if (value.object() == nullptr) return 0;

    const std::string first = compact(value, bufferSize);
    const Kestrava::JSON::Value again = tokenizer.parse(first);
    if (again.object() == nullptr || compact(again, 4096) != first) __builtin_trap();
    if (compact(value.clone(true), bufferSize) != first) __builtin_trap();
    if (compact(value.clone(false), 4096) != first) __builtin_trap();

    // The spaced text, through both ways of asking for it.
    TextProcessor spaced;
    value.dumpto(spaced);
    if (spaced.text() != Kestrava::JSON::function::to_json_string(value.object())) __builtin_trap();
    return 0;
}
