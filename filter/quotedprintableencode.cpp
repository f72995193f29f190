#include "filter/quotedprintableencode.h"

#include "filter/detail/output.h"
#include "filter/mimehex.h"

namespace Kestrava
{
namespace Filter
{

namespace
{

const char softBreak[] = "=\r\n";
const char lineBreak[] = "\r\n";

} // namespace

QuotedPrintableEncode::QuotedPrintableEncode(Result* next)
    : Filter(&_converter), _worker(next, 76), _converter(&_worker, "\n", 1)
{
}

bool QuotedPrintableEncode::Worker::isPrintable(char c)
{
    return c == '\t' || (c >= 32 && c <= 126 && c != '=');
}

size_t QuotedPrintableEncode::Worker::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (c == '\n')
        {
            if (_space) output.literal(softBreak, 3);
            output.literal(lineBreak, 2);
            _column = 0;
            _space = false;
        }
        else if (!isPrintable(c))
        {
            MimeHex escape(c);
            if (_column + escape.size() < _limit)
            {
                output.add(escape.data(), escape.size());
                _column += escape.size();
                if (_column >= _limit - 1)
                {
                    output.literal(softBreak, 3);
                    _column = 0;
                }
            }
            else
            {
                output.literal(softBreak, 3);
                output.add(escape.data(), escape.size());
                _column = escape.size();
            }
            _space = false;
        }
        else
        {
            output.keep(data + i, 1);
            _space = c == ' ' || c == '\t';
            if (++_column >= _limit - 1)
            {
                output.literal(softBreak, 3);
                _column = 0;
            }
        }
    }
    return output.finish();
}

size_t QuotedPrintableEncode::Worker::flush()
{
    size_t total = 0;
    if (_space) total += next->append(softBreak, 3, true);
    _space = false;
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
