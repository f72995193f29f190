#include "app/queuedeclarer.h"

#include "amqp/deferredqueue.h"
#include "amqp/flags.h"
#include "amqp/tcpchannel.h"

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
            [this, create, connection, arguments](const char*)
            {
                if (create && connection->usable()) return this->create(connection, arguments);
                failed(connection);
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
        .onError([this, connection](const char*) { failed(connection); });
}

void QueueDeclarer::failed(const AMQP::TcpConnection* connection)
{
    // A check that fails with its connection says nothing of the queue:
    // the connection reports its own error.
    if (connection->usable()) _handler->onQueueError(_name);
    delete this;
}
