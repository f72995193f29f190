#include "amqp/frames/transactionframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

bool detail::processTransactionMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return TransactionSelectFrame(frame).process(processor);
    case 11:
        return TransactionSelectOKFrame(frame).process(processor);
    case 20:
        return TransactionCommitFrame(frame).process(processor);
    case 21:
        return TransactionCommitOKFrame(frame).process(processor);
    case 30:
        return TransactionRollbackFrame(frame).process(processor);
    case 31:
        return TransactionRollbackOKFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized transaction frame method " +
                                std::to_string(methodID));
    }
}

} // namespace AMQP
