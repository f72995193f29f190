#include "tests/mime/support/messages.h"

namespace Kestrava
{
namespace Test
{

const std::vector<std::string>& dkimMessages()
{
    static const std::string head = "From: Joe SixPack <joe@example.com>\r\n"
                                    "To: Suzie Q <suzie@example.net>\r\n"
                                    "Date: Fri, 11 Jul 2003 21:00:37 -0700\r\n"
                                    "Message-ID: <20030712040037.46341@example.com>\r\n";
    static const std::vector<std::string> messages = {
        head + "Subject: parts\r\nMIME-Version: 1.0\r\n"
               "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
               "preamble\r\n--outer\r\nContent-Type: text/plain\r\n\r\n"
               "first  part \t with blanks  \r\n\r\n\r\n"
               "--outer\r\nContent-Type: multipart/alternative; boundary=inner\r\n\r\n"
               "--inner\r\nContent-Type: text/plain\r\n\r\ninner\r\n--inner--\r\n"
               "--outer--\r\nepilogue\r\n",
        head + "Subject: a long subject that is\r\n\tfolded   over  two lines \r\n\r\n"
               "Hi there.\r\n",
        head + "Subject: signature\r\n\r\nHi.\r\n-- \r\nJoe\r\n\r\n\r\n",
        head + "Subject: Gr\xC3\xBC\xC3\x9F"
               "e aus K\xC3\xB6ln\r\n\r\nHallo.\r\n",
    };
    return messages;
}

} // namespace Test
} // namespace Kestrava
