#pragma once

struct fjson_object;

namespace Kestrava {
namespace JSON {
namespace detail {

/// Whether target is value itself or lies anywhere inside it. Storing a
/// value into a container it reaches would make the value contain itself:
/// a reference cycle that leaks and that serialising never leaves.
bool reaches(fjson_object* value, fjson_object* target);

} // namespace detail
} // namespace JSON
} // namespace Kestrava
