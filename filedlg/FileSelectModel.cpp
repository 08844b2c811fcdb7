// The file selection dialog's commands and their messages.
#include "filedlg/FileSelectModel.h"

#include "core/Paths.h"
#include "filedlg/FolderListing.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kErrorIcon = MB_OK | MB_ICONHAND;
constexpr unsigned kRefused = MB_OK | MB_ICONEXCLAMATION;

constexpr char16_t kNoName[] = u"名前が入力されていません。名前を指定してください。";
constexpr char16_t kNoNameCaption[] = u"名称未入力";
constexpr char16_t kNameCaption[] = u"名称エラー";

// Renames without replacing an existing entry: POSIX rename would silently overwrite
// a file of the new name, where the handheld's move refused.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: check first, accepting the small race.
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

int FileSelectModel::Open(WindowHandle owner) {
    result_.reset();
    selectedType_ = 0;
    if (ParseFileFilter(filterText, filter_) != 0) {
        ShowMessage(owner, u"内部エラー(ファイルフィルタの定義不正)", u"内部エラー", kErrorIcon);
        return -1;
    }
    ShowFolder(startFolder.empty() ? HomeFolder() : startFolder);
    return 0;
}

std::u16string FileSelectModel::SelectedPattern() const {
    if (selectedType_ < 0 || selectedType_ >= static_cast<int>(filter_.patterns.size())) return u"*";
    return filter_.patterns[selectedType_];
}

void FileSelectModel::SelectType(int index) {
    selectedType_ = index;
    Relist();
}

void FileSelectModel::ShowFolder(std::u16string_view folder) {
    currentFolder_ = folder;
    FolderListing listing = ListFolder(currentFolder_, SelectedPattern());
    lines_.clear();
    for (const std::u16string& name : listing.folders)
        lines_.push_back(u"+" + name);
    for (const std::u16string& name : listing.files)
        lines_.push_back(u" " + name);
    folderCount_ = static_cast<int>(listing.folders.size());
}

bool FileSelectModel::Up() {
    if (currentFolder_ == u"/") return false;
    ShowFolder(ParentFolder(currentFolder_));
    return true;
}

std::u16string FileSelectModel::LineName(int index) const {
    if (index < 0 || index >= static_cast<int>(lines_.size())) return {};
    return lines_[index].substr(1);
}

int FileSelectModel::SelectLine(int index, std::u16string& name) {
    if (index < 0 || index >= static_cast<int>(lines_.size())) return 0;
    if (index < folderCount_) {
        ShowFolder(JoinFolderPath(currentFolder_, LineName(index)));
        return 1;
    }
    name = LineName(index);
    return 2;
}

int FileSelectModel::CheckNewName(WindowHandle owner, const std::optional<std::u16string>& name) {
    if (name->empty()) {
        ShowMessage(owner, kNoName, kNoNameCaption, kErrorIcon);
        return -1;
    }
    // A "/" would make or move the entry into another folder.
    if (name->find(u'/') != std::u16string::npos) {
        ShowMessage(owner, u"名前に「/」は使えません。別の名前を指定してください。", kNameCaption, kErrorIcon);
        return -2;
    }
    return 0;
}

int FileSelectModel::NewFolder(WindowHandle owner) {
    std::optional<std::u16string> name = askName ? askName(u"新規フォルダ名", u"") : std::nullopt;
    if (!name) return 1;
    if (int rc = CheckNewName(owner, name); rc != 0) return rc;
    std::u16string path = JoinFolderPath(currentFolder_, *name);
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) == 0) {
        ShowMessage(owner, u"指定した名前のファイルまたはフォルダは既に存在します。別の名前を指定してください。",
                    kNameCaption, kErrorIcon);
        return -3;
    }
    if (mkdir(NativePath(path).c_str(), 0777) != 0) {
        // Not in the handheld's dialog, which went on silently; the user should know.
        ShowMessage(owner, u"フォルダの作成に失敗しました。", u"フォルダ作成エラー", kErrorIcon);
        return -4;
    }
    Relist();
    return 0;
}

int FileSelectModel::Rename(WindowHandle owner, int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size())) return 1;
    std::u16string oldName = LineName(index);
    std::optional<std::u16string> name = askName ? askName(u"変更後の名称", oldName) : std::nullopt;
    if (!name) return 1;
    if (int rc = CheckNewName(owner, name); rc != 0) return rc;
    if (*name == oldName) return 1;
    if (!RenameNoReplace(NativePath(JoinFolderPath(currentFolder_, oldName)),
                         NativePath(JoinFolderPath(currentFolder_, *name)))) {
        ShowMessage(owner, u"指定されたファイルまたはフォルダの名前の変更に失敗しました。", u"名称変更エラー",
                    kErrorIcon);
        Relist();
        return -4;
    }
    Relist();
    return 0;
}

int FileSelectModel::Delete(WindowHandle owner, int index) {
    if (index < 0 || index >= static_cast<int>(lines_.size())) {
        ShowMessage(owner, u"削除対象が選択されていません。", u"削除対象なし", kErrorIcon);
        return -1;
    }
    std::u16string path = JoinFolderPath(currentFolder_, LineName(index));
    std::u16string question = u"\"" + path + u"\"を削除してもよろしいですか？";
    if (ShowMessage(owner, question, u"削除確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return 1;
    std::string native = NativePath(path);
    struct stat st;
    int rc = 0;
    // lstat: a link is removed itself, never the folder it points to.
    if (lstat(native.c_str(), &st) != 0) {
        ShowMessage(owner, u"指定されたファイルまたはフォルダが存在しません。", u"削除エラー", kErrorIcon);
        rc = -3;
    } else if (S_ISDIR(st.st_mode)) {
        if (rmdir(native.c_str()) != 0) {
            ShowMessage(owner, u"指定されたフォルダの削除に失敗しました。", u"フォルダ削除エラー", kErrorIcon);
            rc = -5;
        }
    } else if (unlink(native.c_str()) != 0) {
        ShowMessage(owner, u"指定されたファイルの削除に失敗しました。", u"ファイル削除エラー", kErrorIcon);
        rc = -4;
    }
    Relist();
    return rc;
}

int FileSelectModel::Accept(WindowHandle owner, std::u16string_view typed) {
    if (typed.empty()) {
        ShowMessage(owner, u"ファイル名が指定されていません。", u"ファイル名未指定", kRefused);
        return -1;
    }
    std::u16string name(typed);
    // The default extension comes from the filter's first pattern, whatever type is selected.
    if (name.find(u'.', name.rfind(u'/') + 1) == std::u16string::npos) {
        std::u16string extension = DefaultExtension(filter_);
        if (!extension.empty()) name += u"." + extension;
    }
    // A typed path from the root names the file wherever it is.
    std::u16string path = name.front() == u'/' ? name : JoinFolderPath(currentFolder_, name);
    if (mode == 2) {
        PathKind kind = KindOfPath(path);
        if (kind == PathKind::Missing) {
            ShowMessage(owner, u"指定されたファイルは存在しません。", u"ファイル名不正", kRefused);
            return -2;
        }
        if (kind == PathKind::Folder) {
            ShowMessage(owner, u"同名のフォルダが存在します。", u"ファイル名不正", kRefused);
            return -3;
        }
    }
    result_ = std::move(path);
    return 0;
}
