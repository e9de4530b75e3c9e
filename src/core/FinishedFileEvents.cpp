#include "FinishedFileEvents.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace cadrelle {

FinishedFileEvents::FinishedFileEvents(const std::filesystem::path& folder,
                                       std::function<void()> onEvents) {
    FileDescriptor events(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!events.isOpen() || ::inotify_add_watch(events.get(), folder.c_str(),
                                                IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR) < 0) {
        return;
    }
    events_ = std::move(events);
    notifier_ = std::make_unique<QSocketNotifier>(events_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [onEvents = std::move(onEvents)] {
                         if (onEvents) {
                             onEvents();
                         }
                     });
}

FinishedFileEvents::~FinishedFileEvents() = default;

std::vector<std::string> FinishedFileEvents::take() {
    std::vector<std::string> names;
    if (!isActive()) {
        return names;
    }
    alignas(inotify_event) std::array<char, 16384> buffer{};
    for (;;) {
        const ssize_t length = ::read(events_.get(), buffer.data(), buffer.size());
        if (length <= 0) {
            break; // EAGAIN: nothing more waiting
        }
        for (ssize_t offset = 0; offset < length;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + offset, sizeof event);
            const char* name = buffer.data() + offset + sizeof event;
            if (event.len > 0 && (event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0 &&
                (event.mask & IN_ISDIR) == 0) {
                names.emplace_back(name, ::strnlen(name, event.len));
            }
            offset += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return names;
}

} // namespace cadrelle
