#pragma once

#include "browse/handler.h"

#include <memory>
#include <string>

struct Endpoint;
class Message;

/**
 * One POST of one document to the endpoint. Made with new and handed to
 * the HTTP client; it deletes itself at its terminal report and then tells
 * its handler the outcome through the status (0 when no response came).
 */
class Call : public Kestrava::Browse::Handler
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual void onFinished(Call* call, const std::shared_ptr<Message>& message) = 0;
        /// The call was offered a connection whose certificate is not
        /// valid for `host`; `result` says why. Such a connection carries
        /// this one request only.
        virtual void onUnverified(const char* host, const char* result) = 0;
    };

    Call(const Endpoint* endpoint, std::shared_ptr<Message> message, Handler* handler)
        : _endpoint(endpoint), _message(std::move(message)), _handler(handler)
    {
    }
    ~Call() override;

    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    /// Whether the endpoint took the document: a 2xx status.
    bool accepted() const { return _status >= 200 && _status <= 299; }
    /// Why it did not, as the warning says it: "Invalid response code from
    /// server: " and the status; "No response from server: " and the HTTP
    /// client's reason, a time-out, or the connection lost or closed; or
    /// "Incomplete response from server: " when part of an answer came
    /// first (the endpoint saw the document).
    std::string reason() const;

private:
    void onFailed(const char* message) override;
    void onExpired(Kestrava::Browse::Connection* connection) override;
    void onAvailable(Kestrava::Browse::Connection* connection) override;
    void onHeader(Kestrava::Browse::Connection* connection,
                  const Kestrava::Browse::Header& header) override;
    void onReceived(Kestrava::Browse::Connection* connection, const char* data,
                    size_t size) override;
    void onCompleted(Kestrava::Browse::Connection* connection) override;
    void onLost(Kestrava::Browse::Connection* connection) override;
    void onClosed(Kestrava::Browse::Connection* connection) override;

    const Endpoint* _endpoint;
    std::shared_ptr<Message> _message;
    Handler* _handler;
    /// The status of the last response head; 0 without one.
    int _status = 0;
    /// Why no response came, with status 0.
    std::string _failure;
    bool _answerBegun = false;
};
