#pragma once

#include "mime/fields/fieldgrammar.h"

#include <cstddef>
#include <memory>

namespace Kestrava
{
namespace Mime
{

/// A grammar made of one parser; every typed value writes itself.
class TypedGrammar : public FieldGrammar
{
public:
    using Parser = std::unique_ptr<HeaderField> (*)(const char* data, size_t size);

    /// A value the parser refuses is written by the `loose` parser's
    /// value where one is given and takes it, else as it came.
    TypedGrammar(Parser parser, const char* canonical = nullptr, Parser loose = nullptr)
        : _parser(parser), _canonical(canonical), _loose(loose)
    {
    }

    std::unique_ptr<HeaderField> parse(const char* data, size_t size) const override
    {
        return _parser(data, size);
    }

    const char* canonicalName() const override { return _canonical; }

    size_t encode(const Capabilities& capabilities, const Value& value,
                  Filter::LineLength* output) const override;

    bool valid(const Value& value) const override;

private:
    Parser _parser;
    const char* _canonical;
    Parser _loose;
};

template <typename Field> std::unique_ptr<HeaderField> strictly(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new Field(data, size, true));
}

template <typename Field> std::unique_ptr<HeaderField> plainly(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new Field(data, size));
}

// The grammars of the authentication fields, defined beside their types so
// that the field table needs none of their headers.
extern const TypedGrammar dkimSignatureGrammar;
extern const TypedGrammar authenticationResultsGrammar;
extern const TypedGrammar arcAuthenticationResultsGrammar;
extern const TypedGrammar arcSealGrammar;
extern const TypedGrammar arcMessageSignatureGrammar;

} // namespace Mime
} // namespace Kestrava
