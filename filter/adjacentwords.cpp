#include "filter/adjacentwords.h"

#include "filter/mimeword.h"
#include "filter/result.h"
#include "filter/utf8.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Filter
{

AdjacentWords::AdjacentWords(std::string target, bool refuseUnknown)
    : _target(std::move(target)), _refuseUnknown(refuseUnknown),
      _utf8Target(strcasecmp(_target.c_str(), "utf-8") == 0 ||
                  strcasecmp(_target.c_str(), "utf8") == 0)
{
}

void AdjacentWords::add(const char* data, size_t size)
{
    const MimeWord word(data, size);
    if (_refuseUnknown)
    {
        std::string ignored;
        MimeWord::convert("", word.charset(), _target, ignored);
    }
    _words.push_back({std::string(data, size), word.charset(), word.bytes()});
}

std::vector<AdjacentWords::Text> AdjacentWords::take()
{
    std::vector<Text> texts;
    for (size_t first = 0, last; first < _words.size(); first = last)
    {
        const std::string& charset = _words[first].charset;
        for (last = first + 1; last < _words.size(); ++last)
            if (strcasecmp(_words[last].charset.c_str(), charset.c_str()) != 0) break;
        decode(first, last, texts);
    }
    _words.clear();
    return texts;
}

size_t AdjacentWords::write(Result* out)
{
    size_t written = 0;
    for (const Text& text : take())
        if (!text.text.empty()) written += out->append(text.text.data(), text.text.size(), false);
    return written;
}

void AdjacentWords::decode(size_t first, size_t last, std::vector<Text>& texts) const
{
    std::string bytes;
    for (size_t i = first; i < last; ++i)
        bytes += _words[i].bytes;
    std::string text;
    try
    {
        if (MimeWord::convert(bytes, _words[first].charset, _target, text))
        {
            texts.push_back({std::move(text), false});
            return;
        }
    }
    catch (const std::runtime_error&)
    {
        // A charset iconv does not know: its bytes may read all the same.
    }
    // A label that does not fit its bytes: readers take UTF-8 bytes for
    // text all the same (a mailer's "us-ascii" for UTF-8, say).
    if (_utf8Target && wellFormedUtf8(bytes.data(), bytes.size()))
        texts.push_back({std::move(bytes), false});
    else if (last - first == 1)
        texts.push_back({_words[first].written, true});
    else
        // One of them spoils the rest: each is read on its own.
        for (size_t i = first; i < last; ++i)
            decode(i, i + 1, texts);
}

} // namespace Filter
} // namespace Kestrava
