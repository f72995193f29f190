#include "app/queuedeclarer.h"

#include "amqp/deferredqueue.h"
#include "amqp/flags.h"
#include "amqp/tcpchannel.h"

namespace
{

// RabbitMQ's reply texts begin with the name of the reply code. NOT_FOUND is
// also its answer for a queue whose home node is down: a declare of that
// queue is refused the same way, with the text that says why.

bool notFound(const std::string& message)
{
    return message.rfind("NOT_FOUND - ", 0) == 0;
}

bool noSuchQueue(const std::string& message)
{
    return message.rfind("NOT_FOUND - no queue ", 0) == 0;
}

} // namespace

QueueDeclarer::QueueDeclarer(Handler* handler, AMQP::TcpConnection* connection,
                             const std::string& name, bool create, const AMQP::Table& arguments)
    : _handler(handler), _name(name)
{
    AMQP::TcpChannel channel(connection);
    channel.declareQueue(name, AMQP::passive, AMQP::Table())
        .onSuccess(
            [this]
            {
                _handler->onQueueSuccess();
                delete this;
            })
        .onError(
            [this, create, connection, arguments](const char* message)
            {
                // Only a missing queue is made: one that is there but cannot
                // be used (exclusive to another connection, refused) is not
                // declared anew over the operator's.
                if (create && connection->usable() && notFound(message))
                    return this->create(connection, arguments);
                failed(connection, message);
            });
}

QueueDeclarer::~QueueDeclarer()
{
    _handler->onQueueGone(this);
}

void QueueDeclarer::create(AMQP::TcpConnection* connection, const AMQP::Table& arguments)
{
    AMQP::TcpChannel channel(connection);
    channel.declareQueue(_name, AMQP::durable, arguments)
        .onSuccess(
            [this]
            {
                _handler->onQueueSuccess();
                delete this;
            })
        .onError([this, connection](const char* message) { failed(connection, message); });
}

void QueueDeclarer::failed(const AMQP::TcpConnection* connection, const std::string& message)
{
    // A check that fails with its connection says nothing of the queue:
    // the connection reports its own error.
    if (connection->usable())
    {
        if (noSuchQueue(message))
            _handler->onQueueMissing(_name);
        else
            _handler->onQueueError(_name, message);
    }
    delete this;
}
