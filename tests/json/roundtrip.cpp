// The peer of crosscheck.py: reads documents from standard input, each as
// its byte count on a line of its own and then its bytes, and answers each
// the same way with its compact text, or with -1 alone when it gives the
// empty value (not JSON, or JSON null).

#include "json/tokenizer.h"
#include "json/value.h"
#include "tests/json/helpers.h"

#include <iostream>
#include <string>

int main()
{
    std::string line;
    while (std::getline(std::cin, line))
    {
        std::string text(std::stoul(line), '\0');
        if (!std::cin.read(text.data(), static_cast<std::streamsize>(text.size()))) return 2;
        const Kestrava::JSON::Value value = JsonTest::parse(text);
        if (value.object() == nullptr)
        {
            std::cout << "-1\n";
            continue;
        }
        const std::string output = JsonTest::compact(value);
        std::cout << output.size() << '\n' << output;
    }
    std::cout.flush();
    return 0;
}
