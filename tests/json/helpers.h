#pragma once

#include "json/processor.h"
#include "json/tokenizer.h"
#include "json/value.h"

#include <string>
#include <string_view>

namespace JsonTest {

/// Collects serialised text.
class TextProcessor : public Kestrava::JSON::Processor
{
public:
    size_t process(const char* data, size_t size) override
    {
        _text.append(data, size);
        return size;
    }

    const std::string& text() const { return _text; }

private:
    std::string _text;
};

inline Kestrava::JSON::Value parse(std::string_view text)
{
    Kestrava::JSON::Tokenizer tokenizer;
    return tokenizer.parse(text);
}

/// The compact text of a value, "null" for the empty value.
inline std::string compact(const Kestrava::JSON::Value& value)
{
    TextProcessor processor;
    char buffer[256];
    value.dumpto(processor, buffer, sizeof buffer);
    return processor.text();
}

/// Parses text and gives it back compact, "invalid" when it does not parse.
inline std::string reparsed(std::string_view text)
{
    const Kestrava::JSON::Value value = parse(text);
    return value.object() == nullptr ? "invalid" : compact(value);
}

} // namespace JsonTest
