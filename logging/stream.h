#pragma once

#include "logging/listener.h"

#include <ostream>

namespace Kestrava {
namespace Logging {

/**
 * Writes lines to a stream such as std::cout or std::cerr, each with its
 * priority prefix and time, flushed per line. The stream must outlive the
 * listener; nothing stops other threads writing to it too.
 */
class Stream : public Listener
{
public:
    Stream(Log& log, std::ostream& stream);
    ~Stream() override;

private:
    void write(const priority& level, const std::string& text) override;

    std::ostream* _stream;
};

} // namespace Logging
} // namespace Kestrava
