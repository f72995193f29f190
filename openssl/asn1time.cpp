#include "openssl/asn1time.h"

#include <cstddef>
#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

/// Reads the text of an ASN.1 time by position, refusing anything that is
/// not a digit where a digit belongs.
class TimeText
{
public:
    TimeText(const unsigned char* data, size_t length) : _data(data), _length(length) {}

    /// The next `count` digits as a number.
    int number(size_t count)
    {
        int value = 0;
        for (size_t end = _position + count; _position < end; ++_position)
        {
            if (_position >= _length || _data[_position] < '0' || _data[_position] > '9') refuse();
            value = value * 10 + (_data[_position] - '0');
        }
        return value;
    }

    /// Whether the text ends with the 'Z' of UTC right here.
    bool endsInUtc() const { return _position + 1 == _length && _data[_position] == 'Z'; }

    [[noreturn]] static void refuse() { throw std::invalid_argument("invalid certificate time"); }

private:
    const unsigned char* _data;
    size_t _length;
    size_t _position = 0;
};

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

} // namespace

Asn1Time::Asn1Time(const ASN1_TIME* time) : _time(time), _tm(), _seconds(0)
{
    TimeText text(time->data, time->length > 0 ? static_cast<size_t>(time->length) : 0);
    int year;
    if (time->type == V_ASN1_UTCTIME)
    {
        // RFC 5280 4.1.2.5.1: two-digit years from 50 are 19xx, below 50 20xx.
        year = text.number(2);
        year += year >= 50 ? 1900 : 2000;
    }
    else if (time->type == V_ASN1_GENERALIZEDTIME)
        year = text.number(4);
    else
        TimeText::refuse();

    int month = text.number(2);
    int day = text.number(2);
    int hour = text.number(2);
    int minute = text.number(2);
    int second = text.number(2);
    // RFC 5280 4.1.2.5: certificates give seconds, no fraction, and UTC.
    if (!text.endsInUtc() || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 59)
        TimeText::refuse();

    _tm.tm_year = year - 1900;
    _tm.tm_mon = month - 1;
    _tm.tm_mday = day;
    _tm.tm_hour = hour;
    _tm.tm_min = minute;
    _tm.tm_sec = second;
    // Certificate times are UTC: mktime would read them in the process's zone.
    _seconds = timegm(&_tm);
}

} // namespace OpenSSL
} // namespace Kestrava
