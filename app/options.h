#pragma once

#include "toolbox/options.h"

/**
 * The service's options, filled from the configuration file, the
 * environment (QUILLMERE_WEBHOOK_*) and the command line, each later source
 * overwriting the earlier ones. Only the environment and the command line
 * can name the configuration file (`config-file`).
 */
class Options : public Kestrava::Toolbox::Options
{
public:
    /// Throws std::runtime_error "Unable to parse environment variable
    /// options", "failed to parse command line arguments" or "failed to
    /// parse config file " and the path.
    Options(int argc, const char** argv);

    /// Writes the usage text to standard error.
    static void usage(const char* program);
};
