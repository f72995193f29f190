#pragma once

#include "json/pointer.h"

struct fjson_object;

namespace Kestrava {
namespace JSON {
namespace detail {

/// Whether part designates a member (one holding JSON null included) or an
/// element of container, found in one lookup; child gets it, or null when
/// there is none. Borrowed: valid while container holds it, which spares
/// walks by pointer two atomic reference counts a step.
bool findChild(fjson_object* container, const Pointer::Part& part, fjson_object*& child);

/// The member or element that part designates in container, borrowed; null
/// when there is none.
fjson_object* childOf(fjson_object* container, const Pointer::Part& part);

/// Whether pointer designates an existing place in document, in one walk;
/// found gets the value there, borrowed, or null.
bool findPlace(fjson_object* document, const Pointer& pointer, fjson_object*& found);

} // namespace detail
} // namespace JSON
} // namespace Kestrava
