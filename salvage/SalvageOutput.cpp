// Writing salvaged rows into the export and error files.
#include "salvage/SalvageOutput.h"

#include "core/Cp932.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Utf.h"
#include "exchange/ExchangeFormat.h"

#include <functional>

namespace {

constexpr size_t kChunk = 32768;
// The progress moves on every this many rows looked at.
constexpr long long kProgressRows = 1000;

std::FILE* CreateFile(std::u16string_view path) {
    std::FILE* file = std::fopen(NativePath(path).c_str(), "wb");
    if (file) std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    return file;
}

} // namespace

std::uint64_t RowContentDigest(const ActionRecord& record) {
    std::uint64_t digest = 1469598103934665603ull;
    for (const OptText& field : record.fields) {
        std::uint64_t part = field ? std::hash<std::u16string_view>{}(*field) : 0x9E3779B97F4A7C15ull;
        digest = (digest ^ part) * 1099511628211ull + (field ? 1 : 2);
    }
    return digest;
}

SalvageOutput::SalvageOutput(WindowHandle owner, std::u16string exportPath, std::u16string errorPath)
    : owner_(owner), exportPath_(std::move(exportPath)), errorPath_(std::move(errorPath)) {
    counter_.Reset();
}

SalvageOutput::~SalvageOutput() {
    if (export_.file) std::fclose(export_.file);
    if (error_.file) std::fclose(error_.file);
}

bool SalvageOutput::OpenExport() {
    export_.file = CreateFile(exportPath_);
    if (export_.file) return true;
    ShowMessage(owner_, u"エクスポートファイル[" + exportPath_ + u"]のオープンに失敗しました。環境を見直してください。",
                u"オープンエラー", MB_OK | MB_ICONSTOP);
    return false;
}

bool SalvageOutput::OpenErrorFile() {
    error_.file = CreateFile(errorPath_);
    if (error_.file) return true;
    ShowMessage(owner_, u"エラーファイル[" + errorPath_ + u"]のオープンに失敗しました。環境を見直してください。",
                u"オープンエラー", MB_OK | MB_ICONSTOP);
    failed_ = true;
    return false;
}

bool SalvageOutput::WriteHeader() {
    export_.pending += Ver3HeaderLine();
    return EndLine(export_);
}

void SalvageOutput::MakeSets() {
    if (setsMade_) return;
    rowids_.insert(firstRowids_.begin(), firstRowids_.end());
    contents_.insert(firstContents_.begin(), firstContents_.end());
    std::vector<long long>().swap(firstRowids_);
    std::vector<std::uint64_t>().swap(firstContents_);
    setsMade_ = true;
}

bool SalvageOutput::AlreadyWritten(const SalvagedRow& row, RowOrigin origin) {
    const std::uint64_t content = RowContentDigest(row.record);
    if (origin == RowOrigin::FirstPass) {
        // A sound table gives its rows in rising row numbers, so they are only noted.
        // A number that does not rise means a damaged tree (a page written over
        // another, say) that may lead to rows already written.
        if (!setsMade_ && (!row.hasRowid || row.rowid > lastFirstRowid_)) {
            if (row.hasRowid) lastFirstRowid_ = row.rowid;
            firstRowids_.push_back(row.hasRowid ? row.rowid : -1);
            firstContents_.push_back(content);
            return false;
        }
        MakeSets();
        if (row.hasRowid && !rowids_.insert(row.rowid).second) return true;
        contents_.insert(content);
        return false;
    }
    MakeSets();
    if (origin == RowOrigin::SameTable && row.hasRowid && !rowids_.insert(row.rowid).second) return true;
    return !contents_.insert(content).second;
}

bool SalvageOutput::Take(const SalvagedRow& row, RowOrigin origin) {
    if (failed_) return false;
    // Rows found again by a deeper pass count too: those passes look at the whole table.
    if (++offered_ >= nextStep_) {
        CurrentProgress().Step(offered_);
        nextStep_ = offered_ + kProgressRows;
    }
    if (AlreadyWritten(row, origin)) return true;
    if (origin != RowOrigin::FirstPass) ++counts_.deeper;
    if (IsSalvageErrorRow(row.record)) {
        if (!error_.file && !OpenErrorFile()) return false;
        AppendErrorLine(row.record, error_.pending);
        ++counts_.errors;
        return EndLine(error_);
    }
    AppendSalvageLine(row.record, counter_, export_.pending);
    ++counts_.exported;
    return EndLine(export_);
}

bool SalvageOutput::EndLine(File& file) {
    file.pending += u"\r\n";
    return file.pending.size() < kChunk || Flush(file);
}

bool SalvageOutput::Flush(File& file) {
    if (file.pending.empty()) return true;
    std::string bytes = ToCp932(file.pending);
    file.pending.clear();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.file) == bytes.size()) return true;
    return WriteFailed(-1);
}

bool SalvageOutput::CloseFile(File& file) {
    if (!file.file) return true;
    bool written = Flush(file);
    bool flushed = written && std::fflush(file.file) == 0;
    bool closed = std::fclose(file.file) == 0;
    file.file = nullptr;
    return (written && flushed && closed) || (written && WriteFailed(-1));
}

bool SalvageOutput::Close() {
    bool exportClosed = !failed_ && CloseFile(export_);
    bool errorClosed = !failed_ && CloseFile(error_);
    return exportClosed && errorClosed;
}

bool SalvageOutput::WriteFailed(int code) {
    if (!failed_)
        ShowMessage(
            owner_,
            FormatText("エクスポートファイルの書込みに失敗(%d)しました。メモリの空き容量を確認してください。", code),
            u"書込みエラー", MB_OK | MB_ICONSTOP);
    failed_ = true;
    return false;
}
