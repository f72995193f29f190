#include "filter/mimeheaderencoding.h"

namespace Kestrava
{
namespace Filter
{

const char* plainSpecials(MimeHeaderEncoding encoding)
{
    switch (encoding)
    {
    case MimeHeaderEncoding::Comment:
        return "()\"";
    case MimeHeaderEncoding::Phrase:
        return "()<>[]:;@\\,.\"";
    case MimeHeaderEncoding::Text:
        break;
    }
    return "";
}

const char* escapedSpecials(MimeHeaderEncoding encoding)
{
    switch (encoding)
    {
    case MimeHeaderEncoding::Comment:
        return "_?=()\"";
    case MimeHeaderEncoding::Phrase:
        return "_?=~ @#$%^&()-[]{}\\|;:'\"<>,.?";
    case MimeHeaderEncoding::Text:
        break;
    }
    return "_?=";
}

} // namespace Filter
} // namespace Kestrava
