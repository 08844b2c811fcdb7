// The state and commands of the file selection dialog without its window: the parsed
// filter and selected type, the folder being listed and its lines, the folder
// commands (new, rename, delete) with their messages and questions, and OK with the
// default extension and the open-mode checks. The Qt dialog shows the lines and calls
// these; tests drive them directly in a temporary folder tree.
#pragma once

#include "core/MessageBox.h"
#include "filedlg/FileFilter.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileSelectModel {
public:
    // Asks the user for a name (the value input dialog): the typed text, or nothing
    // when the user cancels.
    using NameAsker =
        std::function<std::optional<std::u16string>(std::u16string_view title, std::u16string_view initial)>;

    // Configuration, set before Open.
    int mode = 1; // 1 save, 2 open (the file must exist)
    std::u16string filterText;
    std::u16string startFolder; // empty: the user's home
    std::u16string defaultName;
    std::u16string title;
    NameAsker askName;

    // Parses the filter and lists the start folder. 0, or -1 when the filter is
    // malformed: the message is shown and the result stays absent.
    int Open(WindowHandle owner);

    const FileFilter& filter() const { return filter_; }
    int selectedType() const { return selectedType_; }
    // Remembers the type and lists the current folder again with its pattern.
    void SelectType(int index);

    // Makes the folder current and lists it: "+" lines for its sub-folders, then " "
    // lines for its files that match the selected pattern.
    void ShowFolder(std::u16string_view folder);
    void Relist() { ShowFolder(currentFolder_); }
    // Lists the folder one level up; false at the root, where nothing happens.
    bool Up();

    const std::u16string& currentFolder() const { return currentFolder_; }
    const std::vector<std::u16string>& lines() const { return lines_; }
    int folderCount() const { return folderCount_; }
    int fileCount() const { return static_cast<int>(lines_.size()) - folderCount_; }
    // A line's name (its text after the marker); empty for an index out of range.
    std::u16string LineName(int index) const;

    // A chosen line: 1 when it was a folder, which is now listed; 2 when it was a
    // file, whose name is put in `name`; 0 for an index out of range.
    int SelectLine(int index, std::u16string& name);

    // New folder in the current folder, named by the user. 0 made and listed again,
    // 1 cancelled, -1 empty name, -2 name with "/", -3 name exists, -4 not made.
    int NewFolder(WindowHandle owner);
    // Renames the line's file or folder. 0 renamed and listed again, 1 no line,
    // cancelled or unchanged, -1 empty name, -2 name with "/", -4 not renamed (also
    // when the new name exists: nothing is replaced).
    int Rename(WindowHandle owner, int index);
    // Deletes the line's file or empty folder after asking. 0 deleted and listed
    // again, 1 answered No, -1 no line, -3 gone, -4 file not deleted, -5 folder not
    // deleted (also when it is not empty).
    int Delete(WindowHandle owner, int index);

    // OK with the typed name. 0 with the result set; -1 empty name, -2 (open mode)
    // no such file, -3 (open mode) the name is a folder: the dialog stays open.
    int Accept(WindowHandle owner, std::u16string_view name);
    // Cancel: the result is absent.
    void Cancel() { result_.reset(); }
    const std::optional<std::u16string>& result() const { return result_; }

    // The pattern files are listed with: the selected type's, or "*" without types.
    std::u16string SelectedPattern() const;

private:
    // The typed name checked as a new name: 0, or -1/-2 with the message shown.
    int CheckNewName(WindowHandle owner, const std::optional<std::u16string>& name);

    FileFilter filter_;
    int selectedType_ = 0;
    std::u16string currentFolder_;
    std::vector<std::u16string> lines_;
    int folderCount_ = 0;
    std::optional<std::u16string> result_;
};
