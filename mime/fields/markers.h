#pragma once

namespace Kestrava
{
namespace Mime
{

/// A delimiter that may be absent, such as the angle brackets of a mailbox.
class Optional
{
public:
    virtual ~Optional() = default;
    bool present = false;
};

/// A delimiter that must be there, such as the "@" of an address.
class Require
{
public:
    virtual ~Require() = default;
};

} // namespace Mime
} // namespace Kestrava
