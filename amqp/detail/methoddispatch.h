#pragma once

namespace AMQP
{
class FrameProcessor;
class ReceivedFrame;
} // namespace AMQP

namespace AMQP::detail
{

// One per class of methods: reads the method id that follows the class id,
// decodes that method and hands it on; an unknown method id throws the
// class's "unrecognized ... frame method " message.

bool processConnectionMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processChannelMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processExchangeMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processQueueMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processBasicMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processConfirmMethod(ReceivedFrame& frame, FrameProcessor* processor);
bool processTransactionMethod(ReceivedFrame& frame, FrameProcessor* processor);

} // namespace AMQP::detail
