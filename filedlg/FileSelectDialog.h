// FileSelectDialog: the file chooser of both programs, made by the caller, configured
// with the setters, run modally over a parent window and then read. The window itself
// is CFileSelectDlg; the state and commands are FileSelectModel.
#pragma once

#include "filedlg/FileSelectModel.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

class FileSelectDialog {
public:
    void SetFilter(std::u16string_view filter) { model_.filterText = filter; }
    // The folder listed first; the user's home when none is set.
    void SetStartFolder(std::u16string_view folder) { model_.startFolder = folder; }
    void SetDefaultName(std::u16string_view name) { model_.defaultName = name; }
    // 1 save, 2 open (the chosen file must exist).
    void SetMode(int mode) { model_.mode = mode; }
    void SetTitle(std::u16string_view title) { model_.title = title; }
    // Replaces the value input dialog that asks for folder and file names.
    void SetNameAsker(FileSelectModel::NameAsker asker) { model_.askName = std::move(asker); }

    // Runs the dialog modally: 1 with a result, 2 after cancel or for a malformed
    // filter (whose message has been shown).
    int Run(QWidget* parent);
    // The full path chosen, absent after cancel.
    const std::optional<std::u16string>& result() const { return model_.result(); }

    FileSelectModel& model() { return model_; }

private:
    FileSelectModel model_;
};

// Replaces Run for the tests of callers (empty: the real dialog runs).
std::function<int(FileSelectDialog& dialog, QWidget* parent)>& FileSelectRunHook();
