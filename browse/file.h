#pragma once

#include "browse/header.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace Kestrava
{
namespace Browse
{

class PostData;
class Url;

/**
 * A downloaded file: the response head and body, its content type and a
 * file name. A value-like handle: copies share the contents. Empty until a
 * download filled it.
 */
class File
{
public:
    /// The contents and what was read from them.
    class Members
    {
    public:
        /// From stored bytes (a cached copy): the bytes are copied first
        /// and the copy parsed, so that the caller's stay untouched and
        /// need not outlive the call. The head's secure flag is `secure`.
        /// Throws std::runtime_error when the head does not parse.
        Members(const Url& url, const char* data, size_t size, bool secure);
        /// From a received head: the contents start with the head text
        /// (without the terminators of the parse in place) and the body is
        /// appended afterwards; room is reserved for a bounded part of the
        /// announced length. The head's secure flag is `secure`.
        Members(const Url& url, const Header& header, bool secure);
        virtual ~Members() = default;

        /// The naming steps: a "filename" parameter of a Content-Disposition
        /// value; a Content-Type value's type and, without a name yet, its
        /// "name" parameter; the last segment of the URL's path. A value
        /// that does not parse is ignored; a name that is no single path
        /// component after cleaning counts as none.
        void disposition(const char* value);
        void type(const char* value);
        void name(const Url& url);

        /// The head text followed by the body bytes.
        std::string contents;
        /// Type and subtype joined by "/", as parsed; empty without one.
        std::string contentType;
        /// One path component, or empty.
        std::string fileName;
        /// The head, parsed from our own copy of its text.
        Header header;

    private:
        void fill(const Url& url);
    };

    File() = default;
    explicit File(std::shared_ptr<Members> members) : _members(std::move(members)) {}
    /// Fetches `url` (with a POST of `data`) on a private loop and takes
    /// the result; throws std::runtime_error with the failure's message.
    explicit File(const Url& url);
    File(const Url& url, PostData data);
    virtual ~File() = default;

    bool empty() const { return _members == nullptr; }
    /// Head and body; empty for an empty file.
    const std::string& contents() const;
    /// The body alone.
    std::string_view body() const;
    const std::string& contentType() const;
    const std::string& name() const;
    /// The response head; the file must not be empty.
    const Header& header() const;

    const std::shared_ptr<Members>& members() const { return _members; }

protected:
    std::shared_ptr<Members> _members;
};

} // namespace Browse
} // namespace Kestrava
