// The peer of crosscheck.py: reads documents from standard input, each as
// its byte count on a line of its own and then its bytes, and answers each
// twice the same way: with the parsed value's compact text, or with -1 alone
// when it gives the empty value (not JSON, or JSON null); then with the
// one-pass copy, or -1 when that refuses the text.

#include "json/copier.h"
#include "json/tokenizer.h"
#include "json/value.h"
#include "tests/json/helpers.h"

#include <iostream>
#include <string>

namespace {

void answer(const std::string* text)
{
    if (text == nullptr)
        std::cout << "-1\n";
    else
        std::cout << text->size() << '\n' << *text;
}

} // namespace

int main()
{
    std::string line;
    while (std::getline(std::cin, line))
    {
        std::string text(std::stoul(line), '\0');
        if (!std::cin.read(text.data(), static_cast<std::streamsize>(text.size()))) return 2;
        const Kestrava::JSON::Value value = JsonTest::parse(text);
        const std::string output = JsonTest::compact(value);
        answer(value.object() == nullptr ? nullptr : &output);
        std::string copy;
        answer(Kestrava::JSON::Copier().copy(text, copy) ? &copy : nullptr);
    }
    std::cout.flush();
    return 0;
}
