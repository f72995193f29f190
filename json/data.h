#pragma once

struct fjson_object;

namespace Kestrava {
namespace JSON {

/**
 * The owner of one reference to a libfastjson object (null for JSON null and
 * for a value that is not there).
 *
 * A copy takes a reference of its own, so copies share the object; the
 * destructor drops the reference.
 */
class Data
{
public:
    Data() = default;

    /// Takes over the reference that a libfastjson call has just returned.
    explicit Data(fjson_object* object) : _object(object) {}

    Data(const Data& that);
    Data(Data&& that) noexcept : _object(that._object) { that._object = nullptr; }
    Data& operator=(const Data& that);
    Data& operator=(Data&& that) noexcept;

    virtual ~Data();

    /// The shared object, still owned by this handle; null for JSON null.
    fjson_object* object() const { return _object; }

protected:
    fjson_object* _object = nullptr;
};

} // namespace JSON
} // namespace Kestrava
