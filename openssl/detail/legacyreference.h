#pragma once

namespace Kestrava
{
namespace OpenSSL
{

/**
 * Raises a reference count of an OpenSSL 1.0 object by one under OpenSSL's
 * lock `lock`, as 1.0 does itself (it has no up_ref functions). Returns 1
 * when the count was raised, 0 when the object had no references left.
 */
int addLegacyReference(int* count, int lock, int line);

} // namespace OpenSSL
} // namespace Kestrava
