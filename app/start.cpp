#include "app/start.h"

#include "amqp/openssl.h"
#include "app/application.h"
#include "app/global.h"
#include "app/options.h"
#include "app/settings.h"
#include "event/mainloop.h"
#include "logging/listeners.h"
#include "logging/options.h"
#include "logging/proxy.h"
#include "openssl/availability.h"

#include <ev.h>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace
{

/// The comma-separated, trimmed words of `application-log` as log targets.
Kestrava::Logging::Options targets(const std::string& list)
{
    Kestrava::Logging::Options result;
    size_t start = 0;
    while (start <= list.size())
    {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string word = list.substr(start, end - start);
        size_t first = word.find_first_not_of(" \t\r\n");
        size_t last = word.find_last_not_of(" \t\r\n");
        word = first == std::string::npos ? "" : word.substr(first, last - first + 1);
        if (word == "stdout")
            result.toStdout = true;
        else if (word == "stderr")
            result.toStderr = true;
        else if (word == "syslog")
            result.toSyslog = true;
        else
            result.files.push_back(word);
        start = end + 1;
    }
    return result;
}

/// Warns of the names in the configuration file and the environment that no
/// option has, and of the file's lines that set nothing (a separator left
/// out): a misspelt option would otherwise be silently left out. The values
/// stay unsaid, as they may hold a password.
void warnUnknown(const Options& options)
{
    for (const std::string& key : options.unknownKeys())
        Kestrava::Logging::Proxy(Global::log, Kestrava::Logging::warning)
            << "Ignored configuration-file key " << quoted(key) << ": no option has this name";
    for (size_t line : options.skippedLines())
        Kestrava::Logging::Proxy(Global::log, Kestrava::Logging::warning)
            << "Ignored configuration-file line " << line << ": it is not \"name = value\"";
    for (const std::string& variable : options.unknownVariables())
        Kestrava::Logging::Proxy(Global::log, Kestrava::Logging::warning)
            << "Ignored environment variable " << quoted(variable) << ": no option has this name";
}

} // namespace

int start(const Options& options)
{
    std::unique_ptr<Kestrava::Logging::Listeners> listeners;
    try
    {
        listeners = std::make_unique<Kestrava::Logging::Listeners>(
            Global::log, targets(options.get("application-log", "stdout")),
            options.get("user").c_str());
        warnUnknown(options);
        // The AMQP client looks its TLS functions up in the OpenSSL that the
        // rest of the service loaded.
        AMQP::openssl(Kestrava::OpenSSL::handle());
        bool failed;
        {
            Application application(options);
            ev_run(Kestrava::Event::MainLoop::instance()->loop(), 0);
            failed = application.failed();
        }
        Global::log.flush();
        return failed ? 1 : 0;
    }
    catch (const std::runtime_error& error)
    {
        Global::log.flush();
        std::cerr << error.what() << std::endl;
        return -1;
    }
}
