#include "mime/translator.h"

#include "filter/base64decode.h"
#include "filter/quotedprintabledecode.h"
#include "filter/strip.h"
#include "mime/fields/contenttransferencoding.h"

namespace Kestrava
{
namespace Mime
{

Translator::~Translator()
{
    while (!_stages.empty())
        _stages.pop_back();
}

void Translator::push(std::unique_ptr<Filter::Result> stage)
{
    _stages.push_back(std::move(stage));
    _head = _stages.back().get();
}

void Translator::addDecoder(int encoding)
{
    if (encoding == ContentTransferEncoding::base64)
    {
        // The decoder's own constructor takes its flag before the sink.
        push(std::make_unique<Kestrava::Filter::Base64Decode>(false, _head));
        add<Kestrava::Filter::Strip>("\r\n\t ");
    }
    else if (encoding == ContentTransferEncoding::quotedPrintable)
        add<Kestrava::Filter::QuotedPrintableDecode>();
}

size_t Translator::process(const char* data, size_t size, bool final)
{
    return _head->append(data, size, final);
}

size_t Translator::flush()
{
    return _head->flush();
}

} // namespace Mime
} // namespace Kestrava
