#include "browse/file.h"

#include "browse/blockingfile.h"
#include "browse/detail/pathcomponent.h"
#include "browse/postdata.h"
#include "browse/url.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contenttype.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <exception>
#include <utility>

namespace Kestrava
{
namespace Browse
{

namespace
{

/// Room reserved at most for a body announced but not yet arrived: a
/// length from the peer must not make us allocate what never comes.
constexpr size_t reserveLimit = 1024 * 1024;

/// The text of a head parsed in place, as it was received: the parse wrote
/// terminators over each field's colon and carriage return.
std::string headText(const Header& header)
{
    const std::vector<Line>& lines = header.lines();
    if (lines.empty()) return std::string(header.text(), header.size());
    std::string text(header.text(), static_cast<size_t>(lines.front().name() - header.text()));
    for (const Line& line : lines)
    {
        text.append(line.name(), line.nameSize());
        text += ':';
        // The blanks between the colon and the value are still as received.
        const char* afterColon = line.name() + line.nameSize() + 1;
        text.append(afterColon, static_cast<size_t>(line.value() + line.valueSize() - afterColon));
        text += "\r\n";
    }
    return text + "\r\n";
}

const std::string& emptyText()
{
    static const std::string none;
    return none;
}

std::string reserved(std::string text, size_t announced)
{
    text.reserve(text.size() + std::min(announced, reserveLimit));
    return text;
}

} // namespace

File::Members::Members(const Url& url, const char* data, size_t size, bool secure)
    : contents(data, size), header(contents.data(), contents.size(), secure, true)
{
    fill(url);
}

File::Members::Members(const Url& url, const Header& received, bool secure)
    : contents(reserved(headText(received), received.contentLength())),
      header(contents.data(), contents.size(), secure, true)
{
    fill(url);
}

void File::Members::fill(const Url& url)
{
    if (const char* value = header.get("content-disposition")) disposition(value);
    if (const char* value = header.get("content-type")) type(value);
    if (fileName.empty()) name(url);
}

void File::Members::disposition(const char* value)
{
    try
    {
        Mime::ContentDisposition parsed(value, strlen(value));
        fileName = detail::pathComponent(parsed.params().get("filename"));
    }
    catch (const std::exception&)
    {
        // A value that does not parse names nothing.
    }
}

void File::Members::type(const char* value)
{
    try
    {
        Mime::ContentType parsed(value, strlen(value), false);
        if (fileName.empty()) fileName = detail::pathComponent(parsed.params().get("name"));
        contentType.assign(parsed.type().data(), parsed.type().size());
    }
    catch (const std::exception&)
    {
        // A value that does not parse names nothing.
    }
}

void File::Members::name(const Url& url)
{
    const char* path = url.path();
    if (path == nullptr) return;
    fileName = detail::pathComponent(std::string(path, strcspn(path, "?")));
}

File::File(const Url& url) : _members(BlockingFile(url).members()) {}

File::File(const Url& url, PostData data) : _members(BlockingFile(url, std::move(data)).members())
{
}

const std::string& File::contents() const
{
    return _members != nullptr ? _members->contents : emptyText();
}

std::string_view File::body() const
{
    if (_members == nullptr) return {};
    return std::string_view(_members->contents).substr(_members->header.size());
}

const std::string& File::contentType() const
{
    return _members != nullptr ? _members->contentType : emptyText();
}

const std::string& File::name() const
{
    return _members != nullptr ? _members->fileName : emptyText();
}

const Header& File::header() const
{
    assert(_members != nullptr);
    return _members->header;
}

} // namespace Browse
} // namespace Kestrava
