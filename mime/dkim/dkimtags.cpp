#include "mime/dkim/dkimtags.h"

#include "mime/detail/ctype.h"
#include "mime/fields/localpart.h"
#include "mime/fields/whitespace.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace Kestrava
{
namespace Mime
{

namespace
{

size_t fws(const char* data, size_t size)
{
    return Whitespace(data, size, false).consumed();
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool startsWith(const char* data, size_t size, const char* text)
{
    size_t length = std::strlen(text);
    return size >= length && std::memcmp(data, text, length) == 0;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error("invalid hex character");
}

/// A byte that DKIM quoted-printable lets stand as it is.
bool isQpSafe(char c)
{
    return (c >= 0x21 && c <= 0x3A) || c == 0x3C || (c >= 0x3E && c <= 0x7E);
}

} // namespace

DkimTagName::DkimTagName(std::string& output, const char* data, size_t size)
{
    output.clear();
    if (size == 0 || !isLetter(data[0])) return;
    size_t i = 1;
    while (i < size && (detail::isAlnum(data[i]) || data[i] == '_'))
        ++i;
    output.assign(data, i);
    this->size = i;
}

DkimTagValue::DkimTagValue(const std::string& name, std::string& output, const char* data,
                           size_t size, bool strict)
{
    using Grammar = void (DkimTagValue::*)(std::string&, const char*, size_t);
    static const std::pair<const char*, Grammar> grammars[] = {
        {"v", &DkimTagValue::parseVersion},
        {"a", &DkimTagValue::parseAlgorithm},
        {"b", &DkimTagValue::parseSignatureData},
        {"bh", &DkimTagValue::parseHash},
        {"c", &DkimTagValue::parseCanonicalization},
        {"d", &DkimTagValue::parseSDID},
        {"i", &DkimTagValue::parseAUID},
        {"l", &DkimTagValue::parseLengthCount},
        {"q", &DkimTagValue::parseQueryMethods},
        {"s", &DkimTagValue::parseSelector},
        {"t", &DkimTagValue::parseTimestamp},
        {"x", &DkimTagValue::parseExpiration}};
    Grammar grammar = &DkimTagValue::parseGeneric;
    if (strict)
        for (const auto& entry : grammars)
            if (name == entry.first) grammar = entry.second;
    (this->*grammar)(output, data, size);
}

void DkimTagValue::parseVersion(std::string& output, const char* data, size_t size)
{
    Digit digit(data, size);
    if (digit.size == 0) throw std::runtime_error("version can not be empty");
    // As written: "01" is no version 1 (RFC 6376 3.5 has v=1 only).
    output.assign(data, digit.size);
    this->size += digit.size;
}

void DkimTagValue::parseNumber(std::string& output, const char* data, size_t size, size_t digits,
                               const char* tooLong)
{
    size_t run = 0;
    while (run < size && detail::isDigit(data[run]))
        ++run;
    if (run > digits) throw std::runtime_error(tooLong);
    // An empty value stays empty, for the verifier to refuse: read as 0,
    // an empty l= would cover no byte of the body.
    if (run == 0)
    {
        output.clear();
        return;
    }
    try
    {
        Digit digit(data, run);
        output = std::to_string(digit.value);
    }
    catch (const std::runtime_error&)
    {
        throw std::runtime_error(tooLong);
    }
    this->size += run;
}

void DkimTagValue::parseLengthCount(std::string& output, const char* data, size_t size)
{
    parseNumber(output, data, size, 76, "length count is too long");
}

void DkimTagValue::parseTimestamp(std::string& output, const char* data, size_t size)
{
    parseNumber(output, data, size, 12, "timestamp is too long");
}

void DkimTagValue::parseExpiration(std::string& output, const char* data, size_t size)
{
    parseNumber(output, data, size, 12, "expiration is too long");
}

void DkimTagValue::parseAlgorithm(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    if (startsWith(data, size, "rsa"))
        i = 3;
    else
    {
        if (size == 0 || !isLetter(data[0])) throw std::runtime_error("invalid algorithm");
        i = 1;
        while (i < size && detail::isAlnum(data[i]))
            ++i;
    }
    if (i >= size || data[i] != '-') throw std::runtime_error("missing -");
    ++i;
    size_t hashStart = i;
    if (startsWith(data + i, size - i, "sha1")) i += 4;
    if (startsWith(data + i, size - i, "sha256"))
        i += 6;
    else
    {
        if (i == hashStart && (i >= size || !isLetter(data[i])))
            throw std::runtime_error("invalid algorithm");
        while (i < size && detail::isAlnum(data[i]))
            ++i;
    }
    output.assign(data, i);
    this->size += i;
}

void DkimTagValue::parseSignatureData(std::string& output, const char* data, size_t size)
{
    this->size += DkimBase64String(output, data, size).size;
}

void DkimTagValue::parseHash(std::string& output, const char* data, size_t size)
{
    this->size += DkimBase64String(output, data, size).size;
}

void DkimTagValue::parseCanonicalization(std::string& output, const char* data, size_t size)
{
    std::string word;
    size_t i = DkimHypenatedWord(word, data, size).size;
    if (i < size && data[i] == '/')
    {
        ++i;
        i += DkimHypenatedWord(word, data + i, size - i).size;
    }
    output.assign(data, i);
    this->size += i;
}

void DkimTagValue::parseSDID(std::string& output, const char* data, size_t size)
{
    AuthenticationDomainPart domain(data, size);
    output = domain.domain;
    this->size += domain.size;
}

void DkimTagValue::parseAUID(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    // The local part is optional (RFC 6376 sig-i-tag).
    if (size > 0 && data[0] != '@') i = LocalPart(data, size).consumed();
    if (i >= size || data[i] != '@') throw std::runtime_error("missing @");
    ++i;
    i += AuthenticationDomainPart(data + i, size - i).size;
    output.assign(data, i);
    this->size += i;
}

void DkimTagValue::parseQueryMethods(std::string& output, const char* data, size_t size)
{
    std::string method;
    size_t i = DkimTagMethod(output, data, size).size;
    while (i < size)
    {
        size_t before = i;
        i += fws(data + i, size - i);
        if (i >= size || data[i] != ':')
        {
            // White space before the end of the value belongs to the list.
            if (i >= size || data[i] == ';')
            {
                i = before;
                break;
            }
            throw std::runtime_error("missing :");
        }
        ++i;
        i += fws(data + i, size - i);
        i += DkimTagMethod(method, data + i, size - i).size;
        output += ":" + method;
    }
    this->size += i;
}

void DkimTagValue::parseSelector(std::string& output, const char* data, size_t size)
{
    if (size == 0 || !(detail::isAlnum(data[0]) || data[0] == '-'))
        throw std::runtime_error("invalid selector");
    size_t i = 1;
    while (i < size && (detail::isAlnum(data[i]) || data[i] == '-' || data[i] == '.'))
        ++i;
    if (data[i - 1] == '.') throw std::runtime_error("invalid selector");
    output.assign(data, i);
    this->size += i;
}

void DkimTagValue::parseGeneric(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    while (i < size)
    {
        char c = data[i];
        if ((c >= 0x21 && c <= 0x3A) || (c >= 0x3C && c <= 0x7E))
        {
            ++i;
            continue;
        }
        size_t blank = fws(data + i, size - i);
        if (blank == 0) break;
        i += blank;
    }
    output.assign(data, i);
    this->size += i;
}

DkimBase64String::DkimBase64String(std::string& output, const char* data, size_t size)
{
    auto alphabet = [](char c) { return detail::isAlnum(c) || c == '+' || c == '/'; };
    if (size == 0 || !alphabet(data[0])) throw std::runtime_error("invalid base64 string");
    size_t i = 1;
    while (i < size)
    {
        if (alphabet(data[i]))
        {
            ++i;
            continue;
        }
        size_t blank = fws(data + i, size - i);
        if (blank == 0) break;
        i += blank;
    }
    for (int padding = 0; padding < 2; ++padding)
    {
        size_t at = i + fws(data + i, size - i);
        if (at >= size || data[at] != '=') break;
        i = at + 1;
    }
    output.assign(data, i);
    this->size = i;
}

DkimHypenatedWord::DkimHypenatedWord(std::string& output, const char* data, size_t size)
{
    if (size == 0 || !isLetter(data[0])) throw std::runtime_error("invalid hypenated word");
    size_t i = 1;
    while (i < size && (detail::isAlnum(data[i]) || data[i] == '-'))
        ++i;
    while (data[i - 1] == '-')
        --i;
    output.assign(data, i);
    this->size = i;
}

size_t DkimQuotedCharacter::decode(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    while (i < size)
    {
        size_t blank = fws(data + i, size - i);
        if (blank > 0)
        {
            i += blank;
            continue;
        }
        char c = data[i];
        if (c == '|') break;
        if (c == '=')
        {
            int value = 0;
            ++i;
            for (int digit = 0; digit < 2; ++digit)
            {
                i += fws(data + i, size - i);
                if (i >= size) throw std::runtime_error("string too short for quoted chars");
                value = value * 16 + hexValue(data[i++]);
            }
            output += static_cast<char>(value);
        }
        else if (isQpSafe(c))
        {
            output += c;
            ++i;
        }
        else
            break;
    }
    return i;
}

std::string DkimQuotedCharacter::encode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size());
    for (char c : text)
    {
        if (isQpSafe(c) && c != '|' && c != ';')
        {
            result += c;
            continue;
        }
        unsigned char byte = static_cast<unsigned char>(c);
        result += '=';
        result += hex[byte >> 4];
        result += hex[byte & 15];
    }
    return result;
}

DkimTagMethod::DkimTagMethod(std::string& output, const char* data, size_t size)
{
    size_t i = DkimHypenatedWord(output, data, size).size;
    if (i >= size || data[i] != '/')
    {
        this->size = i;
        return;
    }
    output += '/';
    ++i;
    i += DkimQuotedCharacter::decode(output, data + i, size - i);
    this->size = i;
}

DkimFieldname::DkimFieldname(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && data[i] >= 0x21 && data[i] <= 0x7E && data[i] != ':' && data[i] != ';')
        ++i;
    if (i == 0) throw std::runtime_error("field name requires at least one character");
    output.assign(data, i);
    this->size = i;
}

DkimCopiedHeaderField::DkimCopiedHeaderField(std::string& output, const char* data, size_t size)
{
    size_t i = DkimFieldname(output, data, size).size;
    i += fws(data + i, size - i);
    if (i >= size || data[i] != ':') throw std::runtime_error("missing :");
    ++i;
    i += fws(data + i, size - i);
    output += ':';
    i += DkimQuotedCharacter::decode(output, data + i, size - i);
    this->size = i;
}

DkimCopiedHeaderFields::DkimCopiedHeaderFields(std::vector<std::string>& output, const char* data,
                                               size_t size)
{
    std::string field;
    size_t i = fws(data, size);
    i += DkimCopiedHeaderField(field, data + i, size - i).size;
    output.push_back(field);
    while (i < size)
    {
        size_t before = i;
        i += fws(data + i, size - i);
        if (i >= size || data[i] == ';')
        {
            i = before;
            break;
        }
        if (data[i] != '|') throw std::runtime_error("missing |");
        ++i;
        i += fws(data + i, size - i);
        i += DkimCopiedHeaderField(field, data + i, size - i).size;
        output.push_back(field);
    }
    this->size = i;
}

Digit::Digit(const char* data, size_t size)
{
    while (this->size < size && detail::isDigit(data[this->size]))
    {
        unsigned digit = static_cast<unsigned>(data[this->size] - '0');
        if (value > (UINT64_MAX - digit) / 10) throw std::runtime_error("number is too long");
        value = value * 10 + digit;
        ++this->size;
    }
}

AuthenticationDomainPart::AuthenticationDomainPart(const char* data, size_t size)
{
    size_t i = length(data, size);
    if (i == 0) throw std::runtime_error("invalid domain part");
    domain.assign(data, i);
    this->size = i;
}

size_t AuthenticationDomainPart::length(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && (detail::isAlnum(data[i]) || data[i] == '-' || data[i] == '.'))
        ++i;
    if (i == 0 || data[0] == '.' || data[i - 1] == '.' || std::memchr(data, '.', i) == nullptr)
        return 0;
    return i;
}

} // namespace Mime
} // namespace Kestrava
