#pragma once

#include "core/FileDescriptor.h"

#include <QtGlobal>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

namespace cadrelle {

// Reports the files of one folder that a writer has just closed or that were
// moved into the folder, through the kernel's inotify: the two moments at
// which a file is known to be written whole, rather than merely unchanged for
// a while. It lives on the thread that makes it, whose event loop calls
// `onEvents` when names are waiting; take() collects them.
class FinishedFileEvents {
public:
    // Watches `folder`. Where inotify or a watch on the folder is not
    // available (too many watches, a file system that cannot report them),
    // isActive() is false and the object never reports anything.
    FinishedFileEvents(const std::filesystem::path& folder, std::function<void()> onEvents);
    ~FinishedFileEvents();
    FinishedFileEvents(const FinishedFileEvents&) = delete;
    FinishedFileEvents& operator=(const FinishedFileEvents&) = delete;

    bool isActive() const { return events_.isOpen(); }

    // The names (without folder) reported since the last call, oldest first,
    // a name once per event. Never waits. Events lost to a full kernel queue
    // are simply missing, which only means the waiting rule of the caller
    // applies to those files.
    std::vector<std::string> take();

private:
    FileDescriptor events_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cadrelle
