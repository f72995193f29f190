#pragma once

namespace Kestrava
{
namespace Filter
{

/// Where header text stands, which decides what may be written plain and
/// what an encoded word must escape.
enum class MimeHeaderEncoding
{
    /// Unstructured text.
    Text = 0,
    /// Inside a comment.
    Comment = 1,
    /// A phrase, such as a display name.
    Phrase = 2,
};

/// The characters that keep a word from being written plain.
const char* plainSpecials(MimeHeaderEncoding encoding);

/// The characters that an encoded word always escapes.
const char* escapedSpecials(MimeHeaderEncoding encoding);

} // namespace Filter
} // namespace Kestrava
