#pragma once

#include "event/handler.h"
#include "event/watchable.h"

#include <string>

namespace Kestrava {
namespace Event {

/**
 * Handler of a FileWatcher; each operation gets the watched path.
 *
 * A callback may stop, restart or destroy the watcher (and the handler):
 * the watcher then makes no further call for that event.
 */
class FileHandler : public Handler, public Watchable
{
public:
    virtual void onModified(const std::string& path) { (void)path; }
    virtual void onDeleted(const std::string& path) { (void)path; }
    virtual void onOpened(const std::string& path) { (void)path; }
    virtual void onClosed(const std::string& path) { (void)path; }
    virtual void onMoved(const std::string& path) { (void)path; }
    virtual void onMetadataChanged(const std::string& path) { (void)path; }
};

} // namespace Event
} // namespace Kestrava
