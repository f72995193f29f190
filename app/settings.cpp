#include "app/settings.h"

#include "app/options.h"

#include <cstdlib>
#include <stdexcept>

namespace
{

/// The option's number, which must lie from minimum to maximum, written in
/// digits alone ("1e3" is no prefetch count of 1, nor an expiry of 1000).
long long checked(const Options& options, const char* name, const char* fallback, long long minimum,
                  long long maximum)
{
    std::string value = options.get(name, fallback);
    long long result = number(value);
    bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || result < minimum || result > maximum)
        throw std::runtime_error("Invalid value " + quoted(value) + " for " + name +
                                 ": must be from " + std::to_string(minimum) + " to " +
                                 std::to_string(maximum));
    return result;
}

/// A queue, exchange or routing key name must fit the short string AMQP
/// carries it in: a declare, bind or publish that cannot be sent fails at
/// once, the first queue check even inside its own constructor.
void checkName(const Options& options, const char* name)
{
    const std::string& value = options.get(name);
    if (value.size() > 255)
        throw std::runtime_error("Invalid value " + quoted(value) + " for " + name +
                                 ": must be at most 255 bytes");
}

} // namespace

std::string quoted(const std::string& text)
{
    std::string result = "\"";
    for (char character : text)
    {
        auto octet = static_cast<unsigned char>(character);
        if (octet >= ' ' && octet < 127 && octet != '"' && octet != '\\')
        {
            result += character;
            continue;
        }
        static const char digits[] = "0123456789ABCDEF";
        result += {'\\', 'x', digits[octet >> 4], digits[octet & 15]};
    }
    return result + "\"";
}

long long number(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10);
}

Settings::Settings(const Options& options)
    : qos(static_cast<uint16_t>(checked(options, "qos", "1000", 1, 65535))),
      connections(static_cast<size_t>(checked(options, "connections", "10", 1, 65535))),
      // RabbitMQ refuses an x-expires above ten years (value_too_large), and
      // the mirror queue could then never be created.
      mirrorExpiry(
          static_cast<uint64_t>(checked(options, "rabbitmq-mirror-expire", "0", 0, 315360000)) *
          1000),
      filter(options.get("filter"))
{
    for (const char* name : {"rabbitmq-results", "rabbitmq-mirror", "rabbitmq-exchange",
                             "error-routingkey", "error-exchange"})
        checkName(options, name);
}
