#pragma once

#include "filter/charset.h"
#include "filter/filter.h"
#include "filter/string.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/**
 * Decodes RFC 2231 percent-encoded text in the charset of its value into
 * UTF-8, appended to a caller's string. An escape cut between two sections
 * of a continued value is completed by the next one; one unfinished at the
 * end is dropped.
 */
class ParamDecoder
{
public:
    /// Throws std::runtime_error "Conversion not possible" for a charset
    /// that iconv does not know.
    ParamDecoder(const std::string& charset, std::string* target);
    virtual ~ParamDecoder() = default;

    /// Decodes percent-encoded bytes.
    void decode(const char* data, size_t size);

    /// Appends plain text, after what was decoded so far.
    void append(const std::string& text);

private:
    /// Turns "%" and two bytes into one byte; takes any characters.
    class Percent : public Filter::Filter
    {
    public:
        using Filter::Filter;
        using Filter::process;
        size_t process(const char* data, size_t size, bool final) override;

    private:
        unsigned _digits = 0;
        unsigned _pending = 0;
        bool _escape = false;
    };

    Kestrava::Filter::String _sink;
    Kestrava::Filter::Charset _charset;
    Percent _percent;
};

} // namespace Mime
} // namespace Kestrava
