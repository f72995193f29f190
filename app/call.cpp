#include "app/call.h"

#include "app/message.h"
#include "browse/connection.h"
#include "browse/header.h"
#include "browse/url.h"
#include "toolbox/timestamp.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace
{

/// The Host header of a request to url (RFC 9110 section 7.2): an IPv6
/// literal in brackets, and the port unless it is the scheme's default.
std::string hostHeader(const Kestrava::Browse::Url& url)
{
    const char* ascii = url.hostname().ascii();
    std::string host = ascii != nullptr ? ascii : "";
    if (url.ip().version() == 6 && (host.empty() || host.front() != '[')) host = "[" + host + "]";
    unsigned long standard = url.text().compare(0, 8, "https://") == 0 ? 443 : 80;
    if (url.port() != 0 && url.port() != standard) host += ":" + std::to_string(url.port());
    return host;
}

} // namespace

Call::~Call()
{
    _handler->onFinished(this, _message);
}

void Call::onFailed(const char* message)
{
    _failure = message;
    delete this;
}

void Call::onExpired(Kestrava::Browse::Connection*)
{
    _status = 0;
    _failure = "time-out";
    delete this;
}

void Call::onAvailable(Kestrava::Browse::Connection* connection)
{
    const std::string& body = _message->body;
    const char* path = _endpoint->path();
    connection->request("POST", path != nullptr ? path : "", path != nullptr ? strlen(path) : 0);
    std::string host = hostHeader(*_endpoint);
    connection->header("Host", 4, host.data(), host.size());
    Kestrava::Httpd::Timestamp date(time(nullptr));
    connection->header("Date", 4, date.text(), date.size());
    char length[24];
    int lengthSize =
        snprintf(length, sizeof length, "%lu", static_cast<unsigned long>(body.size()));
    connection->header("Content-length", 14, length, static_cast<size_t>(lengthSize));
    connection->header("Content-type", 12, "application/json", 16);
    connection->emptyline(body.data(), body.size());
}

void Call::onHeader(Kestrava::Browse::Connection*, const Kestrava::Browse::Header& header)
{
    _status = header.status();
}

void Call::onReceived(Kestrava::Browse::Connection*, const char*, size_t) {}

void Call::onCompleted(Kestrava::Browse::Connection*)
{
    delete this;
}

void Call::onLost(Kestrava::Browse::Connection*)
{
    _status = 0;
    _failure = "connection lost";
    delete this;
}

void Call::onClosed(Kestrava::Browse::Connection*)
{
    _failure = "connection closed";
    delete this;
}
