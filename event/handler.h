#pragma once

namespace Kestrava {
namespace Event {

/**
 * The common base of every handler interface of this library.
 *
 * It has no data and no virtual operations: owners destroy handlers
 * through their concrete type.
 */
class Handler
{
};

} // namespace Event
} // namespace Kestrava
