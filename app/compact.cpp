#include "app/compact.h"

#include "json/processor.h"
#include "json/value.h"

namespace
{

/// Collects serialised JSON into a string.
class Collector : public Kestrava::JSON::Processor
{
public:
    size_t process(const char* data, size_t size) override
    {
        text.append(data, size);
        return size;
    }

    std::string text;
};

} // namespace

std::string compact(const Kestrava::JSON::Value& document)
{
    Collector collector;
    char buffer[4096];
    document.dumpto(collector, buffer, sizeof buffer);
    return std::move(collector.text);
}
