#pragma once

#include <new>
#include <utility>

namespace AMQP
{

/// Room for one T inside the holder itself: a receiver keeps the message it
/// assembles here, so no heap allocation is made per message.
template <class T> class stack_ptr
{
public:
    stack_ptr() = default;
    ~stack_ptr() { reset(); }

    stack_ptr(const stack_ptr&) = delete;
    stack_ptr& operator=(const stack_ptr&) = delete;

    /// Destroys the object held, if any, then constructs a new one.
    template <class... Arguments> void construct(Arguments&&... arguments)
    {
        reset();
        new (&_storage) T(std::forward<Arguments>(arguments)...);
        _constructed = true;
    }

    void reset()
    {
        if (!_constructed) return;
        _constructed = false;
        get()->~T();
    }

    explicit operator bool() const { return _constructed; }
    T& operator*() { return *get(); }
    T* operator->() { return get(); }

private:
    T* get() { return std::launder(reinterpret_cast<T*>(&_storage)); }

    alignas(T) unsigned char _storage[sizeof(T)];
    bool _constructed = false;
};

} // namespace AMQP
