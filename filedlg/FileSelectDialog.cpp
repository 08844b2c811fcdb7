// Running the file selection dialog modally.
#include "filedlg/FileSelectDialog.h"

#include "core/QtPlatform.h"
#include "filedlg/FileSelectDlg.h"

std::function<int(FileSelectDialog&, QWidget*)>& FileSelectRunHook() {
    static std::function<int(FileSelectDialog&, QWidget*)> hook;
    return hook;
}

int FileSelectDialog::Run(QWidget* parent) {
    if (FileSelectRunHook()) return FileSelectRunHook()(*this, parent);
    if (model_.Open(HandleOf(parent)) != 0) return 2;
    CFileSelectDlg dialog(model_, parent);
    return dialog.exec() == 1 ? 1 : 2;
}
