#pragma once

#include "filter/filter.h"
#include "filter/newlineconverter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Quoted-printable encoding (RFC 2045, section 6.7) in lines of at most 76
 * characters, soft break included. Every line break of the input ("\r\n",
 * "\r" or "\n") becomes "\r\n"; white space never ends an encoded line, and
 * a "-" never starts one after a soft break.
 * flush() protects a blank or tab that ends the text; the destructor
 * writes nothing.
 */
class QuotedPrintableEncode : public Filter
{
public:
    /// Encodes lines that reach it with "\n" breaks.
    class Worker : public Filter
    {
    public:
        Worker(Result* next, unsigned int limit) : Filter(next), _limit(limit) {}

        using Filter::process;

        size_t process(const char* data, size_t size, bool final) override;

        /// Ends the line softly after a trailing blank, then flushes.
        size_t flush() override;

        /// Whether `c` passes as it is: a tab, or ASCII that is neither a
        /// control character nor "=".
        static bool isPrintable(char c) { return c == '\t' || (c >= 32 && c <= 126 && c != '='); }

    private:
        unsigned int _limit;
        unsigned int _column = 0;
        bool _space = false;
        /// The current line follows a soft break.
        bool _continued = false;
    };

    explicit QuotedPrintableEncode(Result* next);

private:
    Worker _worker;
    NewlineConverter _converter;
};

} // namespace Filter
} // namespace Kestrava
