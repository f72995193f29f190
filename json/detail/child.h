#pragma once

#include "json/pointer.h"

struct fjson_object;

namespace Kestrava {
namespace JSON {
namespace detail {

/// The member or element that part designates in container, null when there
/// is none. Borrowed: valid while container holds it, which spares walks by
/// pointer two atomic reference counts a step.
fjson_object* childOf(fjson_object* container, const Pointer::Part& part);

} // namespace detail
} // namespace JSON
} // namespace Kestrava
