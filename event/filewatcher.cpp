#include "event/filewatcher.h"

#include "event/filehandler.h"
#include "event/monitor.h"

namespace Kestrava {
namespace Event {

FileWatcher::FileWatcher(FileHandler* handler, const std::string& path, uint32_t mask)
    : INotifyWatcher(path, mask), _handler(handler)
{
}

void FileWatcher::onReceived(const inotify_event* event)
{
    using Callback = void (FileHandler::*)(const std::string&);
    static const struct
    {
        uint32_t bits;
        Callback callback;
    } order[] = {
        {Modified, &FileHandler::onModified},   {Deleted, &FileHandler::onDeleted},
        {Opened, &FileHandler::onOpened},       {Closed, &FileHandler::onClosed},
        {Moved, &FileHandler::onMoved},         {MetadataChanged, &FileHandler::onMetadataChanged},
    };

    Monitor monitor(this);
    for (const auto& entry : order)
    {
        if ((event->mask & entry.bits) == 0) continue;
        (_handler->*entry.callback)(path());
        if (!monitor.valid()) return;
    }
}

} // namespace Event
} // namespace Kestrava
