// Damage the engine finds in the data file while the diary runs (a read that meets a
// garbled page): noted where it happens, inside the engine, where nothing may be shown,
// and told to the user once, later, when a message box can safely run. Without it a
// reader saw only the failing command's trace and was never sent to flotsam.
#pragma once

#include "core/MessageBox.h"

#include <string_view>

// Routes the engine's error log through the watch. It restarts the engine, so call it
// before the first connection is opened; false when the engine refused.
bool InstallDamageWatch();
// Whether the engine has reported a damaged file since the last call; clears the note.
bool TakeDamageNote();
// Remembers that the user has been told about this data file's damage already.
void MarkDamageTold(std::u16string_view dataFile);
// Tells the user, once per data file, that it is damaged and flotsam may rescue what
// cannot be read, when the engine has reported damage; true when it told.
bool TellDamageOnce(WindowHandle owner, std::u16string_view dataFile);
