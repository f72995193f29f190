#pragma once

namespace AMQP
{

// The flags argument of the channel operations: one set of values for all
// of them, each operation reading only its own.

constexpr int durable = 0x1;      ///< declareExchange, declareQueue
constexpr int autodelete = 0x2;   ///< declareExchange, declareQueue
constexpr int passive = 0x8;      ///< declareExchange, declareQueue
constexpr int ifunused = 0x10;    ///< removeExchange, removeQueue
constexpr int ifempty = 0x20;     ///< removeQueue
constexpr int nolocal = 0x80;     ///< consume
constexpr int noack = 0x100;      ///< consume, get
constexpr int exclusive = 0x200;  ///< declareQueue, consume
constexpr int nowait = 0x400;     ///< declareExchange
constexpr int mandatory = 0x800;  ///< publish
constexpr int immediate = 0x1000; ///< publish
constexpr int multiple = 0x4000;  ///< ack, reject
constexpr int requeue = 0x8000;   ///< reject, recover
constexpr int internal = 0x10000; ///< declareExchange

} // namespace AMQP
