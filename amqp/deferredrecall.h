#pragma once

#include "amqp/deferredreceiver.h"

namespace AMQP
{

class BasicReturnFrame;

/// The messages that the broker returns to their publisher (published
/// mandatory or immediate and not routed). One per channel, made by
/// recall(), living as long as the channel; it never resolves.
class DeferredRecall : public DeferredReceiver
{
public:
    /// The message lives only for the call; copy it to keep it.
    using ReturnedCallback = std::function<void(const Message& message, int16_t replyCode,
                                                const std::string& replyText)>;
    using ReturnCallback = std::function<void(int16_t replyCode, const std::string& replyText)>;

    using DeferredReceiver::DeferredReceiver;

    /// Each whole returned message; only with this set is a Message built.
    DeferredRecall& onReceived(ReturnedCallback callback)
    {
        _returnedCallback = std::move(callback);
        return *this;
    }

    /// A message is being returned, before its content.
    DeferredRecall& onReturned(ReturnCallback callback)
    {
        _returnCallback = std::move(callback);
        return *this;
    }

    /// After each returned message, whole or not.
    DeferredRecall& onComplete(std::function<void()> callback)
    {
        _completeCallback = std::move(callback);
        return *this;
    }

    /// A return begins: its content frames follow.
    void process(BasicReturnFrame& frame);
    using DeferredReceiver::process;

private:
    bool buildsMessage() const override { return static_cast<bool>(_returnedCallback); }
    void complete() override;

    int16_t _replyCode = 0;
    std::string _replyText;
    ReturnedCallback _returnedCallback;
    ReturnCallback _returnCallback;
    std::function<void()> _completeCallback;
};

} // namespace AMQP
