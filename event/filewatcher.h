#pragma once

#include "event/inotifywatcher.h"

namespace Kestrava {
namespace Event {

class FileHandler;

/// Turns the inotify events of one path into FileHandler calls.
class FileWatcher : public INotifyWatcher
{
public:
    static constexpr uint32_t Modified = IN_MODIFY;
    static constexpr uint32_t MetadataChanged = IN_ATTRIB;
    static constexpr uint32_t Closed = IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;
    static constexpr uint32_t Opened = IN_OPEN;
    static constexpr uint32_t Deleted = IN_DELETE_SELF;
    static constexpr uint32_t Moved = IN_MOVE_SELF;

    /// The handler is not owned. Throws like INotifyWatcher.
    FileWatcher(FileHandler* handler, const std::string& path, uint32_t mask);

    /// Calls, in this order, onModified, onDeleted, onOpened, onClosed,
    /// onMoved and onMetadataChanged for the bits the record carries,
    /// stopping as soon as a callback destroyed this watcher.
    void onReceived(const inotify_event* event) override;

private:
    FileHandler* _handler;
};

} // namespace Event
} // namespace Kestrava
