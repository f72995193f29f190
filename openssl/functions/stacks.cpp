// Forwarding functions: untyped stacks, named sk_ by 1.0 and OPENSSL_sk_
// since 1.1.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;

int stack_num(const stack_st* stack)
{
    static const Function<decltype(stack_num)> function(library(),
                                                        apiName("sk_num", "OPENSSL_sk_num"));
    return function(stack);
}

int stack_is_sorted(const stack_st* stack)
{
    static const Function<decltype(stack_is_sorted)> function(
        library(), apiName("sk_is_sorted", "OPENSSL_sk_is_sorted"));
    return function(stack);
}

void* stack_value(const stack_st* stack, int index)
{
    static const Function<decltype(stack_value)> function(library(),
                                                          apiName("sk_value", "OPENSSL_sk_value"));
    return function(stack, index);
}

void* stack_set(stack_st* stack, int index, const void* data)
{
    static const Function<decltype(stack_set)> function(library(),
                                                        apiName("sk_set", "OPENSSL_sk_set"));
    return function(stack, index, data);
}

stack_st* stack_new(StackCompare compare)
{
    static const Function<decltype(stack_new)> function(library(),
                                                        apiName("sk_new", "OPENSSL_sk_new"));
    return function(compare);
}

stack_st* stack_new_null()
{
    static const Function<decltype(stack_new_null)> function(
        library(), apiName("sk_new_null", "OPENSSL_sk_new_null"));
    return function();
}

void stack_free(stack_st* stack)
{
    static const Function<decltype(stack_free)> function(library(),
                                                         apiName("sk_free", "OPENSSL_sk_free"));
    function(stack);
}

void stack_zero(stack_st* stack)
{
    static const Function<decltype(stack_zero)> function(library(),
                                                         apiName("sk_zero", "OPENSSL_sk_zero"));
    function(stack);
}

void stack_sort(stack_st* stack)
{
    static const Function<decltype(stack_sort)> function(library(),
                                                         apiName("sk_sort", "OPENSSL_sk_sort"));
    function(stack);
}

void stack_pop_free(stack_st* stack, void (*release)(void*))
{
    static const Function<decltype(stack_pop_free)> function(
        library(), apiName("sk_pop_free", "OPENSSL_sk_pop_free"));
    function(stack, release);
}

int stack_insert(stack_st* stack, const void* data, int where)
{
    static const Function<decltype(stack_insert)> function(
        library(), apiName("sk_insert", "OPENSSL_sk_insert"));
    return function(stack, data, where);
}

void* stack_delete(stack_st* stack, int index)
{
    static const Function<decltype(stack_delete)> function(
        library(), apiName("sk_delete", "OPENSSL_sk_delete"));
    return function(stack, index);
}

void* stack_delete_ptr(stack_st* stack, const void* data)
{
    static const Function<decltype(stack_delete_ptr)> function(
        library(), apiName("sk_delete_ptr", "OPENSSL_sk_delete_ptr"));
    return function(stack, data);
}

int stack_find(stack_st* stack, const void* data)
{
    static const Function<decltype(stack_find)> function(library(),
                                                         apiName("sk_find", "OPENSSL_sk_find"));
    return function(stack, data);
}

int stack_find_ex(stack_st* stack, const void* data)
{
    static const Function<decltype(stack_find_ex)> function(
        library(), apiName("sk_find_ex", "OPENSSL_sk_find_ex"));
    return function(stack, data);
}

int stack_push(stack_st* stack, const void* data)
{
    static const Function<decltype(stack_push)> function(library(),
                                                         apiName("sk_push", "OPENSSL_sk_push"));
    return function(stack, data);
}

int stack_unshift(stack_st* stack, const void* data)
{
    static const Function<decltype(stack_unshift)> function(
        library(), apiName("sk_unshift", "OPENSSL_sk_unshift"));
    return function(stack, data);
}

void* stack_shift(stack_st* stack)
{
    static const Function<decltype(stack_shift)> function(library(),
                                                          apiName("sk_shift", "OPENSSL_sk_shift"));
    return function(stack);
}

void* stack_pop(stack_st* stack)
{
    static const Function<decltype(stack_pop)> function(library(),
                                                        apiName("sk_pop", "OPENSSL_sk_pop"));
    return function(stack);
}

StackCompare stack_set_cmp_func(stack_st* stack, StackCompare compare)
{
    static const Function<decltype(stack_set_cmp_func)> function(
        library(), apiName("sk_set_cmp_func", "OPENSSL_sk_set_cmp_func"));
    return function(stack, compare);
}

stack_st* stack_dup(const stack_st* stack)
{
    static const Function<decltype(stack_dup)> function(library(),
                                                        apiName("sk_dup", "OPENSSL_sk_dup"));
    return function(stack);
}

} // namespace OpenSSL
} // namespace Kestrava
