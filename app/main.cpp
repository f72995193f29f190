#include "app/options.h"
#include "app/start.h"

#include <iostream>
#include <memory>
#include <stdexcept>

int main(int argc, const char** argv)
{
    std::unique_ptr<Options> options;
    try
    {
        options = std::make_unique<Options>(argc, argv);
    }
    catch (const std::runtime_error& error)
    {
        std::cerr << error.what() << std::endl;
        Options::usage(argv[0]);
        return -1;
    }
    return start(*options);
}
