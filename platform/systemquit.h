#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace quillox
{

// Calls `onRequest` on the user-interface thread whenever the system asks
// the program to end: SIGTERM, SIGHUP or SIGINT, or the session's end
// quitting the application. The signal handler only writes a byte to a
// socket; everything else runs from the event loop. Watching stops, and the
// earlier handlers come back, when the returned object is destroyed.
std::unique_ptr<QObject> watchSystemQuit(std::function<void()> onRequest);

} // namespace quillox
