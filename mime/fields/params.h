#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/param.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/**
 * The ‹; name=value› parameters after a MIME header value, with RFC 2231
 * continuations joined and charset-tagged values decoded into UTF-8. A bad
 * parameter is skipped, never the whole list, and never left out when the
 * list is written: a value that only a lenient read takes (a raw UTF-8
 * file name, say) is written in a form that strict readers take.
 */
class Params : public Encodable
{
public:
    Params() = default;
    /// Parses the list; strict refuses tokens with non-ASCII, control or
    /// special characters (skipping their parameter).
    Params(const char* data, size_t size, bool strict);

    /// The first parameter of that name (ignoring case); empty when none.
    std::shared_ptr<Param> parameter(const char* name) const;

    /// Its value, or the shared empty text.
    const std::string& get(const char* name) const;

    /// Replaces the value of the first parameter of that name, or appends
    /// one; false (and nothing changed) when the name is no parameter name.
    bool set(const char* name, const std::string& value);
    bool set(const char* name, const char* value);

    /// Adds a parsed or joined parameter at the end.
    void append(std::shared_ptr<Param> param) { _params.push_back(std::move(param)); }

    using Encodable::encode;
    /// "; " and the parameter, for every parameter in order.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;

    const std::vector<std::shared_ptr<Param>>& all() const { return _params; }

private:
    friend class PartialParams;

    /// A parameter that the parse skipped: looked up nowhere, but written
    /// back at its place, as read leniently or else as its own text.
    struct Skipped
    {
        /// How many parameters stood before it (all for the last item).
        size_t before;
        /// Its name where one could be read, so that set() supersedes it.
        std::string name;
        std::shared_ptr<Param> param;
        std::string raw;
        /// Whether it is an RFC 2231 section, which a written value of its
        /// name must not be split against.
        bool section = false;
    };

    /// A joined parameter's sections as they came, written instead of it
    /// while its value stays the one they joined to.
    struct Sections
    {
        std::string value;
        std::vector<std::string> raw;
    };

    /// Keeps an item a strict read refused, with the comments before it.
    void keepSkipped(const char* data, size_t size, bool last, const std::string& comments);
    /// Keeps a continued parameter that holds a section only a lenient read
    /// takes, after those already in the list.
    void keepJoined(std::shared_ptr<Param> param);
    /// Keeps a section that joined no value, as it came where a strict
    /// read takes it as one item, after those already in the list.
    void keepSection(const Param& section, std::string raw);
    /// Notes the sections a parameter was joined from.
    void keepSections(const Param* param, std::vector<std::string> raw);
    /// Inserts after what is in the list, before a last item kept for the
    /// end.
    void keepLate(Skipped skipped);

    /// The lower-case names that more than one written item carries.
    std::set<std::string> shared() const;

    template <typename Sink>
    size_t write(const Capabilities& capabilities, Sink* output, bool final) const;
    template <typename Sink>
    size_t write(const Skipped& skipped, const std::set<std::string>& shared,
                 const Capabilities& capabilities, Sink* output, bool final) const;
    template <typename Sink>
    size_t write(const Param& param, const std::set<std::string>& shared,
                 const Capabilities& capabilities, Sink* output, bool final) const;

    std::vector<std::shared_ptr<Param>> _params;
    std::vector<Skipped> _skipped;
    std::map<const Param*, Sections> _sections;
};

} // namespace Mime
} // namespace Kestrava
