#pragma once

#include "json/pruner.h"

#include <string>
#include <string_view>

namespace Kestrava {
namespace JSON {

/**
 * Copies JSON text compact in one pass over its bytes, without building a
 * value: what Value's compact writer gives for the parsed text, byte for
 * byte, except that numbers keep their text as written ("-0", "1.50") and
 * that an object keeps every member of a repeated name, in order.
 *
 * Exactly the texts that Tokenizer refuses are refused (the same strict
 * RFC 8259 rules, the same nesting limit of 1000). A Pruner may leave out
 * members and elements on the way.
 */
class Copier
{
public:
    /// Copies text into output, replacing what output held. False when the
    /// text is not JSON; output then holds nothing to use.
    bool copy(std::string_view text, std::string& output, Pruner* pruner = nullptr);

    /// The text of a string as the copy writes it between its quotes.
    static std::string escaped(std::string_view text);

private:
    bool value(int depth, bool watched);
    bool object(int depth, bool watched);
    bool array(int depth, bool watched);
    /// Copies the comma-separated items of the container at hand up to its
    /// closing character, each with copyItem(index, verdict), leaving out
    /// those it gives the verdict leaveOut.
    template <typename CopyItem>
    bool container(char close, CopyItem copyItem);
    /// Copies a member's or element's value as the pruner's verdict says.
    bool item(int depth, Pruner::Verdict verdict);
    bool string();
    bool escape();
    bool number();
    bool literal(std::string_view word);

    void skipBlanks();
    size_t written() const { return static_cast<size_t>(_out - _output->data()); }
    /// Copies the plain bytes of a string up to the first that is not.
    void copyPlain();
    /// Makes room for extra bytes of output beyond one per byte of input.
    void reserve(size_t extra);

    const char* _position = nullptr;
    const char* _end = nullptr;
    std::string* _output = nullptr;
    char* _out = nullptr;
    Pruner* _pruner = nullptr;
};

} // namespace JSON
} // namespace Kestrava
