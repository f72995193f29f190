#include "dns/message/ip.h"

#include "dns/message/printable.h"
#include "dns/message/reverse.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include <arpa/inet.h>

using DNS::Ip;
using DNS::Printable;
using DNS::Reverse;

namespace
{

std::string text(const Ip& ip)
{
    return Printable(ip).data();
}

} // namespace

TEST(IpTest, StoresMappedAddressesAsVersionFour)
{
    Ip mapped("::ffff:10.1.2.3");
    EXPECT_EQ(mapped.version(), 4);
    EXPECT_EQ(mapped.size(), 4u);
    EXPECT_EQ(text(mapped), "10.1.2.3");
    EXPECT_EQ(mapped, Ip("10.1.2.3"));

    in6_addr raw;
    inet_pton(AF_INET6, "::ffff:192.0.2.1", &raw);
    Ip assigned;
    assigned = &raw;
    EXPECT_EQ(assigned.version(), 4);
    EXPECT_EQ(text(Ip(raw)), "192.0.2.1");

    Ip six("2001:db8::1");
    EXPECT_EQ(six.version(), 6);
    EXPECT_EQ(six.size(), 16u);
    EXPECT_EQ(text(six), "2001:db8::1");
}

TEST(IpTest, RejectsTextThatIsNoAddress)
{
    for (const char* bad : {"1.2.3.4.5", "example.org", "", "2001:db8::1::2"})
    {
        try
        {
            Ip ip(bad);
            ADD_FAILURE() << bad << " was accepted";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "invalid IP address supplied") << bad;
        }
    }
}

TEST(IpTest, FromSocketAddresses)
{
    sockaddr_in six4{};
    six4.sin_family = AF_INET;
    inet_pton(AF_INET, "198.51.100.4", &six4.sin_addr);
    EXPECT_EQ(text(Ip(reinterpret_cast<sockaddr*>(&six4))), "198.51.100.4");

    sockaddr_in6 six{};
    six.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "::ffff:198.51.100.5", &six.sin6_addr);
    EXPECT_EQ(Ip(reinterpret_cast<sockaddr*>(&six)).version(), 4);

    sockaddr other{};
    other.sa_family = AF_UNIX;
    EXPECT_THROW(Ip{&other}, std::runtime_error);
}

TEST(IpTest, OrdersByVersionThenBytes)
{
    EXPECT_LT(Ip("255.255.255.255"), Ip("::1"));
    EXPECT_FALSE(Ip("::1") < Ip("255.255.255.255"));
    EXPECT_LT(Ip("10.0.0.1"), Ip("10.0.0.2"));
    EXPECT_EQ(Ip().compare(Ip()), 0);
    EXPECT_NE(Ip("10.0.0.1"), Ip());
}

TEST(IpTest, MasksWithinOneVersion)
{
    Ip address("192.0.2.77");
    address &= Ip("255.255.255.0");
    EXPECT_EQ(text(address), "192.0.2.0");
    address |= Ip("0.0.0.255");
    EXPECT_EQ(text(address), "192.0.2.255");
    address &= Ip("ffff::");
    EXPECT_EQ(text(address), "192.0.2.255");
    std::ostringstream stream;
    stream << Ip("2001:db8::5");
    EXPECT_EQ(stream.str(), "2001:db8::5");
}

TEST(ReverseTest, IPv4NamesRoundTrip)
{
    Reverse reverse(Ip("192.0.2.1"));
    EXPECT_STREQ(reverse, "1.2.0.192.in-addr.arpa");
    EXPECT_EQ(reverse.version(), 4);
    EXPECT_EQ(text(Reverse("1.2.0.192.IN-ADDR.ARPA").ip()), "192.0.2.1");
}

TEST(ReverseTest, IPv6NamesRoundTrip)
{
    Reverse reverse(Ip("2001:db8::1"));
    std::string name(reverse);
    EXPECT_EQ(name.substr(0, 8), "1.0.0.0.");
    const std::string tail = ".8.b.d.0.1.0.0.2.ip6.arpa";
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
    EXPECT_EQ(name.size(), 32 * 2 + 8u);
    EXPECT_EQ(reverse.version(), 6);
    EXPECT_EQ(text(Reverse(name.c_str()).ip()), "2001:db8::1");
    // A mapped address comes back as IPv4.
    EXPECT_EQ(Reverse(Reverse(Ip("::ffff:192.0.2.9")).operator const char*()).ip().version(), 4);
}

TEST(ReverseTest, RejectsOtherNames)
{
    EXPECT_THROW(Reverse("www.example.org"), std::runtime_error);
    EXPECT_THROW(Reverse(std::string(130, 'a').c_str()), std::runtime_error);
    // Names that end like reverse names but have labels to spare, too few,
    // or something else than one number or one nibble in a label.
    const std::string six(Reverse(Ip("2001:db8::1")));
    std::string unseparated = six;
    unseparated.replace(2, 1, "2x3");
    for (const std::string& name :
         {std::string("x.2.0.192.in-addr.arpa"), std::string("1.2.3.4.5.in-addr.arpa"),
          std::string("2.0.192.in-addr.arpa"), std::string(" 1.2.0.192.in-addr.arpa"),
          std::string("256.2.0.192.in-addr.arpa"), std::string("+1.2.0.192.in-addr.arpa"),
          "0." + six, six.substr(2), "1" + six, unseparated})
    {
        try
        {
            Reverse(name.c_str()).ip();
            ADD_FAILURE() << name << " was read";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "address is not in reverse notation") << name;
        }
    }
}
