#pragma once

#include "json/data.h"

#include <cstddef>
#include <functional>

namespace Kestrava {
namespace JSON {

class Patch;
class Pointer;
class Processor;

/**
 * A handle on a reference-counted JSON value.
 *
 * Copies share the value: a change made through one handle (by pointer or
 * patch) shows through every handle on it; clone() gives a value that later
 * changes do not reach. The empty handle stands for JSON null and for a
 * value that is not there. A document is used by one thread at a time.
 *
 * The edits by pointer change the shared value in place and never throw nor
 * report: an edit that cannot be made changes nothing. An edit never makes a
 * value contain itself: a value stored inside its own subtree is stored as a
 * deep copy, and a move into its own subtree is refused.
 */
class Value : public Data
{
public:
    /// JSON null.
    Value() = default;

    /// Takes over the reference that a libfastjson call has just returned.
    explicit Value(fjson_object* object) : Data(object) {}

    /// The value the pointer designates in document, shared. Throws
    /// std::runtime_error "Input document did not match with JSON pointer"
    /// when there is no such place; an existing JSON null gives JSON null.
    Value(const Value& document, const Pointer& pointer);

    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(const Value&) = default;
    Value& operator=(Value&&) noexcept = default;
    ~Value() override = default;

    /// For an object, calls callback once per member in libfastjson's order
    /// with its name and a handle sharing its value; nothing otherwise. The
    /// callback must not add or remove members of this object. An empty
    /// callback throws std::bad_function_call at the first member. A name
    /// is a C string: U+0000 in it shows as the bytes C0 80.
    void members(const std::function<void(const char* name, const Value& value)>& callback) const;

    /// Deep equality: the same type (an int never equals a double), equal
    /// scalars, equal arrays element by element, objects with the same
    /// members in any order.
    bool equals(const Value& other) const;

    /// For an object, whether a member is named by the text of value (a
    /// string's own text, else its JSON text; never for null). For an array,
    /// whether an element equals value. Otherwise false.
    bool contains(const Value& value) const;

    /// A new value: with deep, nothing is shared; without, the members or
    /// elements of a container are shared with this one.
    Value clone(bool deep) const;

    /// Serialises in libfastjson's spaced form; returns the total the
    /// processor took.
    size_t dumpto(Processor& processor) const;

    /// Serialises in the compact form (no blanks between tokens), collecting
    /// the text in the caller's buffer of size bytes before each call of the
    /// processor; returns the total the processor took.
    size_t dumpto(Processor& processor, char* buffer, size_t size) const;

    /// The value the pointer designates (shared), JSON null when none.
    Value get(const Pointer& pointer) const;

    /// Whether the pointer's place exists and its value equals value.
    bool test(const Pointer& pointer, const Value& value) const;

    /// Stores value at the pointer's place, creating the containers on the
    /// way: a token that is "-" or an index asks for an array, any other a
    /// member of an object; an existing object always takes the token as a
    /// member name. A place holding something else is replaced, and so is
    /// this whole value (for this handle only) when it is neither.
    void set(const Pointer& pointer, const Value& value);

    /// Adds value as a member, or inserts it into an array at the index
    /// ("-" appends, past the end pads with nulls); the parent must exist.
    void add(const Pointer& pointer, const Value& value);

    /// Removes the member or the array element the pointer designates.
    void remove(const Pointer& pointer) const;

    /// Sets the member, or overwrites the array element (past the end pads
    /// with nulls); the parent must exist.
    void replace(const Pointer& pointer, const Value& value);

    /// Adds the value at from to the place to, shared with its origin.
    void copy(const Pointer& from, const Pointer& to);

    /// Removes the value at from and adds it at to, resolved after the
    /// removal. When to cannot take it, or lies inside the value, nothing
    /// changes.
    void move(const Pointer& from, const Pointer& to);

    /// Runs a patch: when any of its tests fails on the document as it is,
    /// nothing changes; otherwise every other operation in order, skipping
    /// those that cannot be made.
    void apply(const Patch& patch);
};

} // namespace JSON
} // namespace Kestrava
