// Storage of the installed wait cursor, progress sink and command poster.
#include "core/CommandPoster.h"
#include "core/Progress.h"
#include "core/WaitCursor.h"

#include <atomic>

namespace {
WaitCursor g_noCursor;
ProgressSink g_noProgress;
WaitCursor* g_cursor = nullptr;
ProgressSink* g_progress = nullptr;
std::atomic<CommandPoster*> g_poster{nullptr};
} // namespace

void SetWaitCursor(WaitCursor* cursor) { g_cursor = cursor; }
WaitCursor& CurrentWaitCursor() { return g_cursor ? *g_cursor : g_noCursor; }

void SetProgressSink(ProgressSink* sink) { g_progress = sink; }
ProgressSink& CurrentProgress() { return g_progress ? *g_progress : g_noProgress; }

void SetCommandPoster(CommandPoster* poster) { g_poster.store(poster); }
bool PostCommand(WindowHandle target, int command) {
    CommandPoster* poster = g_poster.load();
    if (!poster) return false;
    poster->PostCommand(target, command);
    return true;
}
