// The data page's work without its window: the format version shown, compaction as the
// page drives it, and the change of data file on OK.
#pragma once

#include "core/MessageBox.h"

#include <string>
#include <string_view>

class CMainApp;

// DBFmtVer of the open data file; empty when it cannot be read.
std::u16string DataFileFormatVersion();

// Compacts the named file: the name question when it is not the current data file,
// the recorder state saved (closing the file), CompactDataFile, the current file
// reopened with its recorder state and the index rebuilt (honouring the active
// search), and the completion message. Returns CompactDataFile's code, -1 when the
// name question was declined, -2 when the current file could not be reopened.
int CompactFromOptionsPage(WindowHandle owner, std::u16string_view path, CMainApp& app);

// OK on the data page: nothing when the name is the current one; a name the settings
// file cannot keep is refused (told); otherwise the change of data file. 0 done or nothing to do, -1 declined or
// refused, -10 the program must end.
int ApplyDataFileFromOptions(WindowHandle owner, std::u16string_view path, CMainApp& app);
