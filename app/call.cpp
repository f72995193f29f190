#include "app/call.h"

#include "app/endpoint.h"
#include "app/message.h"
#include "browse/connection.h"
#include "browse/header.h"
#include "dns/hostname/hostname.h"
#include "toolbox/timestamp.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace
{

/// The Date header's text, formatted again only when the second changes:
/// documents go out far more often than once a second.
const Kestrava::Httpd::Timestamp& currentDate()
{
    static time_t second = time(nullptr);
    static Kestrava::Httpd::Timestamp date(second);
    time_t now = time(nullptr);
    if (now != second)
    {
        second = now;
        date = Kestrava::Httpd::Timestamp(now);
    }
    return date;
}

} // namespace

Call::~Call()
{
    _handler->onFinished(this, _message);
}

std::string Call::reason() const
{
    if (_status != 0) return "Invalid response code from server: " + std::to_string(_status);
    return (_answerBegun ? "Incomplete response from server: " : "No response from server: ") +
           _failure;
}

void Call::onFailed(const char* message)
{
    _failure = message;
    delete this;
}

void Call::onExpired(Kestrava::Browse::Connection* connection)
{
    _status = 0;
    // Part of an answer (a 200 head, say) came: the endpoint saw the
    // document, as after an answer that broke off.
    _answerBegun = !connection->unanswered();
    _failure = "time-out";
    delete this;
}

void Call::onAvailable(Kestrava::Browse::Connection* connection)
{
    if (const char* result = connection->certificateError())
        _handler->onUnverified(connection->host().ascii(), result);
    const std::string& body = _message->body;
    const char* path = _endpoint->url.path();
    connection->request("POST", path != nullptr ? path : "", path != nullptr ? strlen(path) : 0);
    // Delivery is at least once: a document whose kept-alive connection the
    // endpoint closed before answering goes again at once, on a fresh one,
    // rather than a second later through the queue, after a pause of all.
    connection->allowRepeat();
    connection->header("Host", 4, _endpoint->host.data(), _endpoint->host.size());
    const Kestrava::Httpd::Timestamp& date = currentDate();
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

void Call::onLost(Kestrava::Browse::Connection* connection)
{
    _status = 0;
    _answerBegun = !connection->unanswered();
    _failure = _answerBegun ? "the answer broke off part-way or could not be read (the endpoint "
                              "saw the document: a duplicate may follow)"
                            : "the endpoint closed the connection before answering (it may not "
                              "have seen the document)";
    delete this;
}

void Call::onClosed(Kestrava::Browse::Connection*)
{
    _failure = "connection closed";
    delete this;
}
