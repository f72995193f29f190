// Runs every edit by pointer with pointers and a document from the input:
// "from" pointer, newline, "to" pointer, newline, document. Nothing may
// crash, leak or make a value contain itself (serialising would never end).

#include "json/patch.h"
#include "json/pointer.h"
#include "json/processor.h"
#include "json/tokenizer.h"
#include "json/value.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

using Kestrava::JSON::Patch;
using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;

namespace {

class Counter : public Kestrava::JSON::Processor
{
public:
    size_t process(const char*, size_t size) override { return size; }
};

void serialise(const Value& value)
{
    Counter counter;
    char buffer[256];
    value.dumpto(counter, buffer, sizeof buffer);
}

/// Padding an array up to a huge index is allowed, but would exhaust memory;
/// INT_MAX itself is refused, so it stays in.
bool padsModestly(const Pointer& pointer)
{
    for (const Pointer::Part& part : pointer.parts())
        if (part.index() > 10000 && part.index() != INT_MAX) return false;
    return true;
}

std::string_view line(std::string_view& input)
{
    const size_t end = input.find('\n');
    const std::string_view result = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view fromText = line(input);
    const std::string_view toText = line(input);
    try
    {
        const Pointer from(fromText.data(), fromText.size());
        const Pointer to(toText.data(), toText.size());
        Kestrava::JSON::Tokenizer tokenizer;
        const Value document = tokenizer.parse(input);

        const bool matches = from.match(document);
        const Value found = document.get(from);
        if (found.object() != nullptr && !matches) __builtin_trap();
        try
        {
            const Value designated(document, from);
            if (!matches) __builtin_trap();
        }
        catch (const std::runtime_error&)
        {
            if (matches) __builtin_trap();
        }
        for (const Pointer::Part& part : from.parts())
            part.index();

        Value edited = document.clone(true);
        edited.remove(from);
        if (padsModestly(from) && padsModestly(to))
        {
            edited.move(from, to);
            edited.copy(to, from);
            edited.add(from, found);
            edited.replace(to, document);
            edited.set(from, edited);
            edited.set(to, found);
            edited.apply(Patch({{Patch::Operation::test, to, from, found},
                                {Patch::Operation::move, to, from, Value()},
                                {Patch::Operation::copy, from, to, Value()},
                                {Patch::Operation::add, from, to, edited}}));
        }
        serialise(edited);
        serialise(document);
    }
    catch (const std::runtime_error&)
    {
        // Text that is no pointer.
    }
    return 0;
}
