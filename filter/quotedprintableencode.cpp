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

size_t QuotedPrintableEncode::Worker::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        // A line that a soft break starts must not open with "-": it could
        // read as a multipart delimiter that was text in the line it split
        // (RFC 2046 5.1.1), so its dash is escaped.
        bool opensLine = c == '-' && _column == 0 && _continued;
        if (isPrintable(c) && !opensLine)
        {
            // A run of printable bytes, up to where the line must break.
            size_t room = _limit - 1 - _column;
            size_t end = i + 1;
            while (end < size && end - i < room && isPrintable(data[end]))
                ++end;
            output.keep(data + i, end - i);
            _column += static_cast<unsigned int>(end - i);
            _space = data[end - 1] == ' ' || data[end - 1] == '\t';
            if (_column >= _limit - 1)
            {
                output.literal(softBreak, 3);
                _column = 0;
                _continued = true;
            }
            i = end - 1;
        }
        else if (c == '\n')
        {
            if (_space) output.literal(softBreak, 3);
            output.literal(lineBreak, 2);
            _column = 0;
            _space = false;
            _continued = false;
        }
        else
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
                    _continued = true;
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
