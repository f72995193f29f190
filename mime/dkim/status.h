#pragma once

namespace Kestrava
{
namespace Mime
{

/// A result word with its reason. Results compare by identity of the words.
class Status
{
public:
    static const char* const pass;
    static const char* const fail;
    static const char* const none;
    static const char* const permerror;
    static const char* const temperror;

    virtual ~Status() = default;
    /// One of the five words.
    const char* result = permerror;
    /// A fixed text saying why; null when none was given.
    const char* reason = nullptr;

protected:
    /// Sets both and returns the word.
    const char* report(const char* word, const char* text)
    {
        reason = text;
        return result = word;
    }
};

} // namespace Mime
} // namespace Kestrava
