#pragma once

#include "amqp/table.h"

#include <string>

namespace AMQP
{
class TcpConnection;
}

/**
 * Checks that one queue exists (a passive declare) and, when asked to,
 * declares it durable when it does not; each declare on a channel of its
 * own, closed as soon as the declare is sent. A queue that exists is used as
 * it is, whatever its type and arguments. Made with new; it deletes itself
 * once the answer has come.
 */
class QueueDeclarer
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual void onQueueSuccess() = 0;
        /// The queue does not exist (and was not to be made).
        virtual void onQueueMissing(const std::string& name) = 0;
        /// The broker refused the check or the declaration for another
        /// reason; message is its reply text, which with RabbitMQ begins
        /// with the name of the reply code (RESOURCE_LOCKED, ACCESS_REFUSED).
        virtual void onQueueError(const std::string& name, const std::string& message) = 0;
        /// The declarer is being deleted, answered or not.
        virtual void onQueueGone(QueueDeclarer* declarer) = 0;
    };

    QueueDeclarer(Handler* handler, AMQP::TcpConnection* connection, const std::string& name,
                  bool create, const AMQP::Table& arguments);
    virtual ~QueueDeclarer();

    QueueDeclarer(const QueueDeclarer&) = delete;
    QueueDeclarer& operator=(const QueueDeclarer&) = delete;

private:
    /// The declare of a queue that is missing.
    void create(AMQP::TcpConnection* connection, const AMQP::Table& arguments);
    /// Reports the broker's refusal unless the connection failed; deletes
    /// this.
    void failed(const AMQP::TcpConnection* connection, const std::string& message);

    Handler* _handler;
    std::string _name;
};
