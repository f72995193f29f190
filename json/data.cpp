#include "json/data.h"

#include "json/function.h"

#include <utility>

namespace Kestrava {
namespace JSON {

Data::Data(const Data& that) : _object(function::get(that._object)) {}

Data& Data::operator=(const Data& that)
{
    // Take the new reference before dropping the old: both may be one object.
    fjson_object* previous = _object;
    _object = function::get(that._object);
    if (previous != nullptr) function::put(previous);
    return *this;
}

Data& Data::operator=(Data&& that) noexcept
{
    std::swap(_object, that._object);
    return *this;
}

Data::~Data()
{
    if (_object != nullptr) function::put(_object);
}

} // namespace JSON
} // namespace Kestrava
