// Writing the actions of the index into an exchange file.
#include "exchange/ExportActions.h"

#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/ReplaceFile.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "exchange/IndexedActions.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "store/UserDataTable.h"

#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr long long kProgressRows = 1000;

// The export goes to a temporary file beside the target, which replaces the target
// only once every line, the flush and the close succeeded: a failed export (a full
// disk) leaves a previous file of that name as it was.
class ExportFile {
public:
    ExportFile(const ExchangeTarget& target, std::u16string_view name)
        : target_(target), name_(name), replacing_(NativePath(name)) {}

    bool Open() {
        if (!replacing_.Open()) {
            ShowMessage(target_.owner,
                        u"ファイル" + std::u16string(name_) +
                            u"のオープンに失敗しました。ファイル名を見直してください。",
                        u"オープンエラー", MB_OK | MB_ICONSTOP);
            return false;
        }
        file_ = replacing_.file();
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
        return true;
    }

    // Lines are gathered and converted to CP932 some thousand characters at a time:
    // the same bytes as line by line, without the cost of a conversion per line.
    bool Write(std::u16string_view line) {
        pending_ += line;
        return EndLine();
    }
    // The action's line is made right in the buffer.
    bool WriteAction(ExchangeLayout layout, const ActionRecord& record) {
        AppendExchangeLine(layout, record, pending_);
        return EndLine();
    }

    // Buffered lines reach the file only here; a full disk often shows first now.
    bool Close() {
        if (!Flush()) return false;
        file_ = nullptr;
        return replacing_.Commit() || Failed(-1);
    }

private:
    static constexpr size_t kChunk = 32768;

    bool EndLine() {
        pending_ += u"\r\n";
        return pending_.size() < kChunk || Flush();
    }

    bool Flush() {
        std::string bytes = ToCp932(pending_);
        pending_.clear();
        return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() || Failed(-1);
    }

    bool Failed(int code) {
        replacing_.Abandon();
        file_ = nullptr;
        ShowMessage(target_.owner,
                    u"ファイル" + std::u16string(name_) + FormatText("の書込みに失敗(%d)しました。", code) +
                        u"メモリの空き容量を確認してください。",
                    u"書込みエラー", MB_OK | MB_ICONSTOP);
        return false;
    }

    const ExchangeTarget& target_;
    std::u16string_view name_;
    ReplacingFile replacing_; // removes the temporary file unless the export completed
    std::FILE* file_ = nullptr;
    std::u16string pending_;
};

class ReadSnapshot {
public:
    explicit ReadSnapshot(sqlite3* db)
        : db_(db), open_(sqlite3_get_autocommit(db) && SUCCEEDED(ExecuteSql(db, "BEGIN"))) {}
    ~ReadSnapshot() {
        if (open_) ExecuteSql(db_, "COMMIT");
    }

private:
    sqlite3* db_;
    bool open_;
};

// An action of the index that cannot be read would silently be missing from the
// file, so the export stops and says so with the engine's code.
void TellReadFailure(const ExchangeTarget& target, long long row, HRESULT hr) {
    Trace("ExportActions ReadActionById Err (ln=%lld, hr=%x)", row, static_cast<unsigned>(hr));
    ShowMessage(target.owner, TraceBuffer(), u"ERROR", MB_OK | MB_ICONSTOP);
}

} // namespace

long long ExportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout) {
    ExportFile file(target, fileName);
    if (!file.Open()) return -1;
    ProgressSink& progress = CurrentProgress();
    const long long count = target.index.count();
    progress.Start(u"書込み中", count);
    long long result = count;
    if (layout == ExchangeLayout::Ver3 && !file.Write(Ver3HeaderLine())) result = -1;
    // One read transaction for the whole walk: the rows come from one state of the
    // data file, and the engine takes its lock once instead of once a row.
    ReadSnapshot snapshot(target.table.db());
    IndexedActions actions(target.table, target.index, target.searchCondition);
    ActionRecord record;
    for (long long row = 0; row < count && result >= 0; ++row) {
        if (row % kProgressRows == 0) progress.Step(row);
        HRESULT hr = actions.ReadNext(record);
        if (hr != S_OK) {
            TellReadFailure(target, row, hr);
            result = -1;
        } else if (!file.WriteAction(layout, record)) {
            result = -1;
        }
    }
    if (result >= 0 && !file.Close()) result = -1;
    progress.Finish();
    return result;
}

long long RunExportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout) {
    long long result = ExportActions(target, fileName, layout);
    if (result >= 0)
        ShowMessage(target.owner, u"エクスポートが完了しました。", u"エクスポート完了", MB_OK | MB_ICONINFORMATION);
    else
        ShowMessage(target.owner, FormatText("エクスポートに失敗しました。(%lld)", result), u"エクスポート失敗",
                    MB_OK | MB_ICONSTOP);
    return result;
}
