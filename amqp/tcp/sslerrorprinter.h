#pragma once

#include <cstddef>
#include <string>

namespace AMQP
{

/// The text of one TLS failure, from SSL_get_error's code: the first line
/// of OpenSSL's error queue, the system error, or a fixed text.
class SslErrorPrinter
{
public:
    explicit SslErrorPrinter(int error);

    const char* data() const { return _text.c_str(); }
    size_t size() const { return _text.size(); }

private:
    std::string _text;
};

} // namespace AMQP
