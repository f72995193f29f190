#include "toolbox/options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Kestrava::Toolbox::Options;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* names[] = {"endpoint", "error-exchange", "error-routingkey", "qos", nullptr};
    static const char* switches[] = {"verbose", nullptr};

    // The input is a command line: words separated by NUL bytes.
    std::vector<std::string> words{"program"};
    words.emplace_back();
    for (size_t index = 0; index < size; ++index)
    {
        if (data[index] == '\0')
            words.emplace_back();
        else
            words.back().push_back(static_cast<char>(data[index]));
    }

    std::vector<const char*> argv;
    for (const auto& word : words) argv.push_back(word.c_str());
    std::vector<const char*> original = argv;

    Options options(names, switches);
    options.parse(static_cast<int>(argv.size()), argv.data());

    // The caller's argv keeps its order, and nothing beyond it is taken.
    if (argv != original) __builtin_trap();
    if (options.argc() >= argv.size()) __builtin_trap();
    for (size_t index = 0; index < options.argc(); ++index)
    {
        if (options.arg(static_cast<unsigned int>(index)).size() > size) __builtin_trap();
    }
    return 0;
}
