// Posting a command to a window from any thread. A worker (the GPS source) reports
// through this; the GUI turns it into a queued call of the window's OnCommand on the
// UI thread. The default drops the command.
#pragma once

#include "core/MessageBox.h"

class CommandPoster {
public:
    virtual ~CommandPoster() = default;
    virtual void PostCommand(WindowHandle target, int command) = 0;
};

void SetCommandPoster(CommandPoster* poster);
// Posts through the installed poster; returns false when none is installed.
bool PostCommand(WindowHandle target, int command);
