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
 * UTF-8, appended to a caller's string. Only "%" and two hex digits is an
 * escape, whole within one value or section (RFC 2231 section 4.1): any
 * other "%" stays with what follows it, as readers keep it. A value whose
 * bytes are not all valid in its charset is kept as its bytes at finish(),
 * not cut down to what converts.
 */
class ParamDecoder
{
public:
    /// A charset that iconv does not know keeps the bytes as they are.
    ParamDecoder(const std::string& charset, std::string* target);
    virtual ~ParamDecoder() = default;

    /// Decodes one percent-encoded value or section.
    void decode(const char* data, size_t size);

    /// Appends plain text, after what was decoded so far.
    void append(const std::string& text);

    /// Ends the value: where some byte did not convert, the caller's string
    /// gets the bytes as they came instead.
    void finish();

private:
    /// Passes bytes on and keeps a copy of them.
    class Copy : public Filter::Filter
    {
    public:
        Copy(Result* next, std::string* copy) : Filter(next), _copy(copy) {}
        using Filter::process;
        size_t process(const char* data, size_t size, bool final) override;

    private:
        std::string* _copy;
    };

    std::string* _target;
    /// Where the value starts in the caller's string.
    size_t _start;
    std::string _bytes;
    Kestrava::Filter::String _sink;
    Kestrava::Filter::Charset _charset;
    Copy _copy;
};

} // namespace Mime
} // namespace Kestrava
