#include "logging/stream.h"

#include "logging/detail/line.h"

namespace Kestrava {
namespace Logging {

Stream::Stream(Log& log, std::ostream& stream) : Listener(log, nullptr), _stream(&stream) { add(); }

Stream::~Stream() { remove(); }

void Stream::write(const priority& level, const std::string& text)
{
    std::string whole = line(level, text);
    _stream->write(whole.data(), static_cast<std::streamsize>(whole.size()));
    _stream->flush();
}

} // namespace Logging
} // namespace Kestrava
