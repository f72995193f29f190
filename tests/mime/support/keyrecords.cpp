#include "tests/mime/support/keyrecords.h"

#include "dns/message/response.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <arpa/nameser.h>

namespace Kestrava
{
namespace Test
{

std::unique_ptr<Dns::DkimRecords> keyRecords(const std::vector<std::string>& texts)
{
    // A NOERROR answer to a TXT question for "k.test" with one TXT record
    // per text, each cut into character-strings of at most 255 bytes.
    std::string message{0, 1, char(0x81), char(0x80), 0, 1, 0, char(texts.size()), 0, 0, 0, 0};
    message += std::string("\1k\4test\0\0\x10\0\1", 12);
    for (const std::string& text : texts)
    {
        std::string data;
        for (size_t i = 0; i < text.size(); i += 255)
        {
            std::string piece = text.substr(i, 255);
            data += static_cast<char>(piece.size()) + piece;
        }
        message += std::string("\1k\4test\0", 8);
        message +=
            {0, char(ns_t_txt), 0, 1, 0, 0, 0, 60, char(data.size() >> 8), char(data.size())};
        message += data;
    }
    DNS::Response response(reinterpret_cast<const unsigned char*>(message.data()), message.size());
    auto records = std::make_unique<Dns::DkimRecords>();
    records->onResolved(nullptr, response);
    return records;
}

std::string vector(const std::string& name)
{
    std::ifstream file("/usr/lib/python3/dist-packages/dkim/tests/data/" + name, std::ios::binary);
    if (!file) throw std::runtime_error("missing test vector " + name);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string crlf(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

} // namespace Test
} // namespace Kestrava
