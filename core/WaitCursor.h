// The wait cursor shown while a slow step runs. The GUI installs an override cursor;
// the default does nothing. WaitCursorScope shows it for a block.
#pragma once

class WaitCursor {
public:
    virtual ~WaitCursor() = default;
    virtual void Begin() {}
    virtual void End() {}
};

void SetWaitCursor(WaitCursor* cursor);
WaitCursor& CurrentWaitCursor();

class WaitCursorScope {
public:
    WaitCursorScope() { CurrentWaitCursor().Begin(); }
    ~WaitCursorScope() { CurrentWaitCursor().End(); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};
