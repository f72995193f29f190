#include "app/options.h"

#include <iostream>
#include <stdexcept>
#include <string>

namespace {

const char* names[] = {"application-log",
                       "user",
                       "endpoint",
                       "rabbitmq-address",
                       "rabbitmq-exchange",
                       "rabbitmq-mirror",
                       "rabbitmq-mirror-expire",
                       "rabbitmq-results",
                       "error-routingkey",
                       "error-exchange",
                       "config-file",
                       "qos",
                       "filter",
                       "connections",
                       nullptr};

const char* environmentPrefix = "QUILLMERE_WEBHOOK";
const char* defaultConfigFile = "/etc/quillmere/webhook.txt";

/// The environment, then the command line, into options.
void readEnvironmentAndCommandLine(Kestrava::Toolbox::Options& options, int argc, const char** argv)
{
    if (!options.parseEnv(environmentPrefix))
        throw std::runtime_error("Unable to parse environment variable options");
    if (!options.parse(argc, argv)) throw std::runtime_error("failed to parse command line arguments");
}

} // namespace

Options::Options(int argc, const char** argv) : Kestrava::Toolbox::Options(names)
{
    // A first pass only to learn which file to read: the file comes first
    // so that the environment and the command line overwrite it.
    Kestrava::Toolbox::Options early(names);
    readEnvironmentAndCommandLine(early, argc, argv);
    std::string path = early.get("config-file", defaultConfigFile);
    if (!parse(path)) throw std::runtime_error("failed to parse config file " + path);
    readEnvironmentAndCommandLine(*this, argc, argv);
}

void Options::usage(const char* program)
{
    static const char* const lines[] = {
        "      --config-file <file>            (default: /etc/quillmere/webhook.txt) where to log application errors/info: std{err,out},/path/to/filestdout",
        "      --application-log <stream/file> (required)                          where to log application errors/info: std{err,out},/path/to/filestdout",
        "      --user <username>               (default: )                         user the application should drop to after starting as root",
        "      --endpoint <url>                (required)                          address of the endpoint",
        "      --rabbitmq-address <url>        (required)                          rabbitmq address for the webhook",
        "      --rabbitmq-exchange <exchange>  (default: )                         rabbitmq exchange to mirror messages (must be identical to Quillmere setting)",
        "      --rabbitmq-mirror <queue>       (default: )                         rabbitmq queue to mirror messages, will be created if it doesn't exist",
        "      --rabbitmq-mirror-expire <ttl>  (default: 0)                        Optional TTL in seconds for the mirrorqueue, if it is created",
        "      --rabbitmq-results <queue>      (default: results)                  queue from which to retrieve results (must be identical to Quillmere setting)",
        "      --error-routingkey <routingkey  (default: )                         routingkey to publish invalid messages (leave empty to discard invalid messages)",
        "      --error-exchange <exchange>     (default: )                         exchange to publish invalid messages (leave empty to publish directly to the queue in error-routingkey",
        "      --qos <uint>                    (default: 1000)                     prefetch amount",
        "      --connections <uint>            (default: 10)                       number of simultaneous connections",
        "      --filter <JSON pointers>        (default: )                         blacklist to filter data sent to endpoint",
    };
    std::cerr << std::endl;
    std::cerr << "Usage: " << program << " [options]" << std::endl;
    std::cerr << std::endl;
    std::cerr << "  Supported options" << std::endl;
    for (const char* line : lines) std::cerr << line << std::endl;
    std::cerr << std::endl;
    std::cerr << "AMQP address should start with \"amqp://\" or \"amqps://\"" << std::endl;
}
