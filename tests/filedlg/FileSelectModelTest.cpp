// The file selection dialog's commands in a temporary folder tree: listing and type
// change, folder walking, OK with the default extension and the open-mode checks, and
// new folder, rename and delete with every message they show.
#include "filedlg/FileSelectModel.h"
#include "core/Utf.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr char16_t kExchangeFilter[] = u"TSV/CSVファイル (*.csv)|*.csv|データファイル (*.dat)|*.dat|"
                                       u"テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*";
constexpr unsigned kError = MB_OK | MB_ICONHAND;
constexpr unsigned kExclamation = MB_OK | MB_ICONEXCLAMATION;
constexpr unsigned kQuestion = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

class FileSelect : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.file("sub/deeper"));
        fs::create_directories(dir.file("empty"));
        for (const char* name : {"a.csv", "b.txt", "c.dat", "README", ".hidden.csv", "sub/inner.csv"})
            TempDir::WriteBytes(dir.file(name), name);
        model.filterText = kExchangeFilter;
        model.startFolder = FromUtf8(dir.path());
        model.askName = [this](std::u16string_view title, std::u16string_view initial) {
            asked.push_back(ToUtf8(title) + "|" + ToUtf8(initial));
            std::optional<std::u16string> answer = typed.empty() ? std::nullopt : typed.front();
            if (!typed.empty()) typed.erase(typed.begin());
            return answer;
        };
    }

    Lines ListedLines() const {
        Lines lines;
        for (const std::u16string& line : model.lines())
            lines.push_back(ToUtf8(line));
        return lines;
    }
    int LineOf(const char* line) const {
        for (size_t i = 0; i < model.lines().size(); ++i)
            if (ToUtf8(model.lines()[i]) == line) return static_cast<int>(i);
        return -1;
    }
    void ExpectMessage(size_t index, const char* text, const char* caption, unsigned flags) const {
        ASSERT_LT(index, messages.count());
        const ShownMessage& m = messages.shown()[index];
        EXPECT_EQ(ToUtf8(m.text), text);
        EXPECT_EQ(ToUtf8(m.caption), caption);
        EXPECT_EQ(m.flags, flags);
    }
    std::string Result() const { return model.result() ? ToUtf8(*model.result()) : "(none)"; }

    TempDir dir;
    ScriptedMessages messages;
    FileSelectModel model;
    // Names the value input would give, in order; nullopt (or none left) cancels.
    std::vector<std::optional<std::u16string>> typed;
    std::vector<std::string> asked;
};

TEST_F(FileSelect, ListsFoldersThenMatchingFilesAndRelistsOnTypeChange) {
    ASSERT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(ToUtf8(model.currentFolder()), dir.path());
    EXPECT_EQ(ListedLines(), (Lines{"+empty", "+sub", " .hidden.csv", " a.csv"}));
    EXPECT_EQ(model.folderCount(), 2);
    EXPECT_EQ(model.fileCount(), 2);
    model.SelectType(2);
    EXPECT_EQ(ListedLines(), (Lines{"+empty", "+sub", " b.txt"}));
    model.SelectType(3); // "*.*" takes names without extension too
    EXPECT_EQ(ListedLines(), (Lines{"+empty", "+sub", " .hidden.csv", " README", " a.csv", " b.txt", " c.dat"}));
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(FileSelect, StartsInTheHomeFolderAndWithoutTypesListsEveryFile) {
    const char* saved = std::getenv("HOME");
    std::string old = saved ? saved : "";
    setenv("HOME", dir.file("sub").c_str(), 1);
    model.startFolder.clear();
    model.filterText.clear();
    EXPECT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(ToUtf8(model.currentFolder()), dir.file("sub"));
    EXPECT_EQ(ListedLines(), (Lines{"+deeper", " inner.csv"}));
    if (saved) setenv("HOME", old.c_str(), 1);
}

TEST_F(FileSelect, MalformedFilterIsAnInternalErrorWithoutResult) {
    for (const char16_t* text : {u"CSV (*.csv)", u"CSV (*.csv)|", u"CSV|*.csv|All"}) {
        messages.Clear();
        model.filterText = text;
        EXPECT_EQ(model.Open(nullptr), -1);
        EXPECT_FALSE(model.result());
        ASSERT_EQ(messages.count(), 1u);
        ExpectMessage(0, "内部エラー(ファイルフィルタの定義不正)", "内部エラー", kError);
    }
}

TEST_F(FileSelect, FolderLinesOpenFileLinesGiveTheirNameAndUpClimbs) {
    ASSERT_EQ(model.Open(nullptr), 0);
    std::u16string name;
    EXPECT_EQ(model.SelectLine(LineOf(" a.csv"), name), 2);
    EXPECT_EQ(ToUtf8(name), "a.csv");
    EXPECT_EQ(ToUtf8(model.currentFolder()), dir.path());
    EXPECT_EQ(model.SelectLine(LineOf("+sub"), name), 1);
    EXPECT_EQ(ToUtf8(model.currentFolder()), dir.file("sub"));
    EXPECT_EQ(ListedLines(), (Lines{"+deeper", " inner.csv"}));
    EXPECT_EQ(model.SelectLine(99, name), 0);
    EXPECT_TRUE(model.Up());
    EXPECT_EQ(ToUtf8(model.currentFolder()), dir.path());
    EXPECT_EQ(LineOf("+sub"), 1);
}

TEST_F(FileSelect, UpFromAFolderBelowTheRootListsTheRoot) {
    ASSERT_EQ(model.Open(nullptr), 0);
    model.ShowFolder(u"/x");
    EXPECT_TRUE(model.lines().empty()); // no such folder: nothing listed
    EXPECT_TRUE(model.Up());
    EXPECT_EQ(ToUtf8(model.currentFolder()), "/");
    // The temporary tree's top folder is one of the root's folder lines.
    std::string top = "+" + dir.path().substr(1, dir.path().find('/', 1) - 1);
    EXPECT_GE(LineOf(top.c_str()), 0) << top;
    EXPECT_LT(LineOf(top.c_str()), model.folderCount());
    EXPECT_FALSE(model.Up());
    EXPECT_EQ(ToUtf8(model.currentFolder()), "/");
}

struct AcceptCase {
    const char16_t* filter;
    int type;
    const char* typed;
    const char* name; // expected file name in the listed folder
};

TEST_F(FileSelect, OkAddsTheFirstPatternsExtensionToANameWithoutOne) {
    const AcceptCase cases[] = {
        {kExchangeFilter, 2, "log", "log.csv"},         // the text type selected: still .csv
        {kExchangeFilter, 0, "notes.txt", "notes.txt"}, // an own extension is kept
        {kExchangeFilter, 3, "archive.tar", "archive.tar"},
        {u"すべてのファイル (*.*)|*.*|CSV|*.csv", 1, "log", "log"}, // "*.*" first adds nothing
        {u"", 0, "plain", "plain"},
    };
    for (const AcceptCase& c : cases) {
        model.filterText = c.filter;
        ASSERT_EQ(model.Open(nullptr), 0);
        model.SelectType(c.type);
        EXPECT_EQ(model.Accept(nullptr, FromUtf8(c.typed)), 0) << c.typed;
        EXPECT_EQ(Result(), dir.file(c.name)) << c.typed;
    }
    // At the root the folder already ends with "/".
    model.ShowFolder(u"/");
    ASSERT_EQ(model.Accept(nullptr, u"x.csv"), 0);
    EXPECT_EQ(Result(), "/x.csv");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(FileSelect, OkRefusesAnEmptyNameAndInOpenModeMissingFilesAndFolders) {
    model.filterText = u"すべてのファイル (*.*)|*.*";
    ASSERT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(model.Accept(nullptr, u""), -1);
    ExpectMessage(0, "ファイル名が指定されていません。", "ファイル名未指定", kExclamation);
    // Save mode takes a name that does not exist yet.
    EXPECT_EQ(model.Accept(nullptr, u"new.csv"), 0);
    model.mode = 2;
    ASSERT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(model.Accept(nullptr, u"new.csv"), -2);
    ExpectMessage(1, "指定されたファイルは存在しません。", "ファイル名不正", kExclamation);
    EXPECT_EQ(model.Accept(nullptr, u"sub"), -3);
    ExpectMessage(2, "同名のフォルダが存在します。", "ファイル名不正", kExclamation);
    EXPECT_FALSE(model.result());
    EXPECT_EQ(model.Accept(nullptr, u"README"), 0);
    EXPECT_EQ(Result(), dir.file("README"));
    EXPECT_EQ(messages.count(), 3u);
    model.Cancel();
    EXPECT_FALSE(model.result());
}

// A typed path that begins with "/" names the file wherever it is, as in any file
// chooser; a path without one is taken from the listed folder.
TEST_F(FileSelect, OkTakesATypedPathFromTheRootOrTheListedFolder) {
    model.filterText = u"すべてのファイル (*.*)|*.*";
    model.mode = 2;
    ASSERT_EQ(model.Open(nullptr), 0);
    model.ShowFolder(u"/");
    EXPECT_EQ(model.Accept(nullptr, FromUtf8(dir.file("README"))), 0);
    EXPECT_EQ(Result(), dir.file("README"));
    model.ShowFolder(FromUtf8(dir.path()));
    EXPECT_EQ(model.Accept(nullptr, FromUtf8(dir.path() + "/sub")), -3);
    // The default extension looks at the file's own name only, not at its folders'.
    model.mode = 1;
    model.filterText = kExchangeFilter;
    ASSERT_EQ(model.Open(nullptr), 0);
    fs::create_directories(dir.file("v1.2"));
    EXPECT_EQ(model.Accept(nullptr, FromUtf8(dir.path() + "/v1.2/out")), 0);
    EXPECT_EQ(Result(), dir.file("v1.2/out.csv"));
    EXPECT_EQ(model.Accept(nullptr, u"sub/out"), 0);
    EXPECT_EQ(Result(), dir.file("sub/out.csv"));
    EXPECT_EQ(messages.count(), 1u);
}

TEST_F(FileSelect, NewFolderIsMadeAndListed) {
    ASSERT_EQ(model.Open(nullptr), 0);
    typed = {u"新しい"};
    EXPECT_EQ(model.NewFolder(nullptr), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"新規フォルダ名|"}));
    EXPECT_TRUE(fs::is_directory(dir.file("新しい")));
    EXPECT_EQ(ListedLines(), (Lines{"+empty", "+sub", "+新しい", " .hidden.csv", " a.csv"}));
    // Cancelled: nothing happens.
    EXPECT_EQ(model.NewFolder(nullptr), 1);
    EXPECT_EQ(messages.count(), 0u);
}

struct NameCase {
    const char* name;
    int rc;
    const char* text;
    const char* caption;
};

TEST_F(FileSelect, NewFolderRefusesBadAndExistingNames) {
    const NameCase cases[] = {
        {"", -1, "名前が入力されていません。名前を指定してください。", "名称未入力"},
        {"a.csv", -3, "指定した名前のファイルまたはフォルダは既に存在します。別の名前を指定してください。",
         "名称エラー"}, // exists as a file
        {"sub", -3, "指定した名前のファイルまたはフォルダは既に存在します。別の名前を指定してください。", "名称エラー"},
        {"sub/x", -2, "名前に「/」は使えません。別の名前を指定してください。", "名称エラー"},
        {"../escape", -2, "名前に「/」は使えません。別の名前を指定してください。", "名称エラー"},
    };
    ASSERT_EQ(model.Open(nullptr), 0);
    for (const NameCase& c : cases) {
        messages.Clear();
        typed = {FromUtf8(c.name)};
        EXPECT_EQ(model.NewFolder(nullptr), c.rc) << c.name;
        ASSERT_EQ(messages.count(), 1u) << c.name;
        ExpectMessage(0, c.text, c.caption, kError);
    }
    EXPECT_TRUE(fs::is_regular_file(dir.file("a.csv")));
    EXPECT_FALSE(fs::exists(dir.file("sub/x")));
    EXPECT_FALSE(fs::exists(dir.file("../escape")));
    // A folder that cannot be made (the current "folder" is a file) is reported.
    messages.Clear();
    model.ShowFolder(dir.file16("a.csv"));
    typed = {u"inside"};
    EXPECT_EQ(model.NewFolder(nullptr), -4);
    ExpectMessage(0, "フォルダの作成に失敗しました。", "フォルダ作成エラー", kError);
}

TEST_F(FileSelect, RenameMovesTheLinesEntryAndNeverReplacesAnother) {
    ASSERT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(model.Rename(nullptr, -1), 1); // no line selected
    EXPECT_TRUE(asked.empty());
    typed = {u"renamed.csv"};
    EXPECT_EQ(model.Rename(nullptr, LineOf(" a.csv")), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"変更後の名称|a.csv"}));
    EXPECT_EQ(TempDir::ReadBytes(dir.file("renamed.csv")), "a.csv");
    EXPECT_FALSE(fs::exists(dir.file("a.csv")));
    EXPECT_GE(LineOf(" renamed.csv"), 0);
    typed = {u"folder"};
    EXPECT_EQ(model.Rename(nullptr, LineOf("+empty")), 0);
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_EQ(messages.count(), 0u);

    // Renaming onto an existing name fails and keeps both entries.
    model.SelectType(3);
    typed = {u"b.txt"};
    EXPECT_EQ(model.Rename(nullptr, LineOf(" c.dat")), -4);
    ExpectMessage(0, "指定されたファイルまたはフォルダの名前の変更に失敗しました。", "名称変更エラー", kError);
    EXPECT_EQ(TempDir::ReadBytes(dir.file("b.txt")), "b.txt");
    EXPECT_EQ(TempDir::ReadBytes(dir.file("c.dat")), "c.dat");

    const NameCase refused[] = {
        {"", -1, "名前が入力されていません。名前を指定してください。", "名称未入力"},
        {"sub/c.dat", -2, "名前に「/」は使えません。別の名前を指定してください。", "名称エラー"},
    };
    for (const NameCase& c : refused) {
        messages.Clear();
        typed = {FromUtf8(c.name)};
        EXPECT_EQ(model.Rename(nullptr, LineOf(" c.dat")), c.rc) << c.name;
        ASSERT_EQ(messages.count(), 1u);
        ExpectMessage(0, c.text, c.caption, kError);
    }
    EXPECT_FALSE(fs::exists(dir.file("sub/c.dat")));
    messages.Clear();
    typed = {u"c.dat"}; // unchanged: nothing to do
    EXPECT_EQ(model.Rename(nullptr, LineOf(" c.dat")), 1);
    EXPECT_EQ(model.Rename(nullptr, LineOf(" c.dat")), 1); // cancelled
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_TRUE(fs::exists(dir.file("c.dat")));
}

TEST_F(FileSelect, DeleteAsksAndOnlyYesDeletes) {
    ASSERT_EQ(model.Open(nullptr), 0);
    EXPECT_EQ(model.Delete(nullptr, -1), -1);
    ExpectMessage(0, "削除対象が選択されていません。", "削除対象なし", kError);

    messages.Clear();
    messages.Answer(IDNO);
    EXPECT_EQ(model.Delete(nullptr, LineOf(" a.csv")), 1);
    ExpectMessage(0, ("\"" + dir.file("a.csv") + "\"を削除してもよろしいですか？").c_str(), "削除確認", kQuestion);
    EXPECT_TRUE(fs::exists(dir.file("a.csv")));
    // The question's default button is No.
    EXPECT_EQ(model.Delete(nullptr, LineOf(" a.csv")), 1);
    EXPECT_TRUE(fs::exists(dir.file("a.csv")));

    messages.Clear();
    messages.Answer({IDYES, IDYES});
    EXPECT_EQ(model.Delete(nullptr, LineOf(" a.csv")), 0);
    EXPECT_FALSE(fs::exists(dir.file("a.csv")));
    EXPECT_EQ(LineOf(" a.csv"), -1);
    EXPECT_EQ(model.Delete(nullptr, LineOf("+empty")), 0);
    EXPECT_FALSE(fs::exists(dir.file("empty")));
    EXPECT_EQ(messages.count(), 2u);
}

TEST_F(FileSelect, DeleteReportsAFolderWithFilesAndAVanishedEntry) {
    ASSERT_EQ(model.Open(nullptr), 0);
    messages.Answer(IDYES);
    EXPECT_EQ(model.Delete(nullptr, LineOf("+sub")), -5);
    ExpectMessage(1, "指定されたフォルダの削除に失敗しました。", "フォルダ削除エラー", kError);
    EXPECT_TRUE(fs::exists(dir.file("sub/inner.csv")));
    EXPECT_GE(LineOf("+sub"), 0);

    messages.Clear();
    messages.Answer(IDYES);
    int line = LineOf(" a.csv");
    fs::remove(dir.file("a.csv"));
    EXPECT_EQ(model.Delete(nullptr, line), -3);
    ExpectMessage(1, "指定されたファイルまたはフォルダが存在しません。", "削除エラー", kError);
    EXPECT_EQ(LineOf(" a.csv"), -1); // listed again
}

TEST_F(FileSelect, DeleteRemovesALinkNotTheFolderItPointsTo) {
    fs::create_directory_symlink(dir.file("sub"), dir.file("link"));
    ASSERT_EQ(model.Open(nullptr), 0);
    int line = LineOf("+link");
    ASSERT_GE(line, 0);
    messages.Answer(IDYES);
    EXPECT_EQ(model.Delete(nullptr, line), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file("link"))));
    EXPECT_TRUE(fs::exists(dir.file("sub/inner.csv")));
}

} // namespace
