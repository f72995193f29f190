#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * The encoding of query strings (application/x-www-form-urlencoded):
 * letters, digits and "-._~" pass, a blank becomes "+", every other byte
 * "%" and two lowercase hex digits. Nothing is held back.
 */
class UrlEncode : public Filter
{
public:
    explicit UrlEncode(Result* next) : Filter(next) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;
};

} // namespace Filter
} // namespace Kestrava
