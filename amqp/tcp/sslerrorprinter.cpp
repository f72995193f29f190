#include "amqp/tcp/sslerrorprinter.h"

#include "amqp/tcp/openssl.h"

#include <cerrno>
#include <cstring>
#include <openssl/ssl.h>

namespace AMQP
{

namespace
{

/// Keeps the first error line: returning 0 ends OpenSSL's report.
int sslerrorprintercallback(const char* text, size_t size, void* data)
{
    static_cast<std::string*>(data)->append(text, size);
    return 0;
}

} // namespace

SslErrorPrinter::SslErrorPrinter(int error)
{
    switch (error)
    {
    case SSL_ERROR_SSL:
        OpenSSL::ERR_print_errors_cb(sslerrorprintercallback, &_text);
        if (!_text.empty() && _text.back() == '\n') _text.pop_back();
        break;
    case SSL_ERROR_SYSCALL:
        _text = errno != 0 ? strerror(errno) : "SSL_R_UNEXPECTED_EOF_WHILE_READING";
        break;
    default:
        _text = "unknown ssl error";
    }
}

} // namespace AMQP
