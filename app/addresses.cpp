#include "app/addresses.h"

#include <sstream>
#include <stdexcept>
#include <string_view>

namespace
{

/// Replaces the password of the user information of an address text with
/// "****". Addresses write '@', '/', '?' and ':' in a user name, and '@',
/// '/' and '?' in a password, percent-encoded: the first '@' before any '/'
/// or '?' ends the user information, its first ':' the user name.
std::string masked(std::string text)
{
    size_t start = text.find("://");
    if (start == std::string::npos) return text;
    start += 3;
    size_t at = text.find('@', start);
    if (at == std::string::npos || at > text.find_first_of("/?", start)) return text;
    size_t colon = text.find(':', start);
    if (colon == std::string::npos || colon > at || colon + 1 == at) return text;
    return text.replace(colon + 1, at - colon - 1, "****");
}

/// Whether a password in the text may have been cut short by an unescaped
/// '/' or '?': an '@' follows the first of them, and a ':' comes before the
/// last '@'. The rest of the password would be read as host, port, virtual
/// host or query, and shown in every log line of the address. A virtual host
/// or query holding an '@' reads the same and cannot be told apart.
bool ambiguous(std::string_view text)
{
    size_t start = text.find("://");
    if (start == std::string_view::npos) return false;
    std::string_view rest = text.substr(start + 3);
    size_t end = rest.find_first_of("/?");
    size_t at = rest.rfind('@');
    return end != std::string_view::npos && at != std::string_view::npos && at > end &&
           rest.substr(0, at).find(':') != std::string_view::npos;
}

} // namespace

Addresses::Addresses(const std::string& list)
{
    // Blanks alone are what an empty variable or line often holds.
    if (list.find_first_not_of(" \t\r\n") == std::string::npos)
        throw std::runtime_error("No RabbitMQ address configured: set the option rabbitmq-address");
    size_t start = 0;
    while (true)
    {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string_view piece(list.data() + start, end - start);
        // The message names the address by its place: its text may hold a
        // password.
        if (ambiguous(piece))
            throw std::runtime_error(
                "AMQP address " + std::to_string(size() + 1) +
                " has an '@' after its host: write '/', '?' and '@' in a user name or "
                "password percent-encoded (%2F, %3F, %40)");
        emplace_back(piece.data(), piece.size());
        if (end == list.size()) return;
        start = end + 1;
    }
}

std::string written(const AMQP::Address& address)
{
    std::ostringstream stream;
    stream << address;
    return masked(stream.str());
}

std::string text(const AMQP::Address& address)
{
    return masked(std::string(address));
}
