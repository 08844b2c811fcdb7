// The salvage of an undamaged data file against the diary's own Ver.3 export of the
// same file, in the same run. The data files (10 years of realistic rows) are made
// once in TIDEMARK_BENCH_DATA (default /tmp/tidemark-bench-salvage).
#include <benchmark/benchmark.h>

#include "core/Cp932.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "salvage/SalvageRun.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string Folder() {
    const char* folder = std::getenv("TIDEMARK_BENCH_DATA");
    std::string dir = folder ? folder : "/tmp/tidemark-bench-salvage";
    fs::create_directories(dir);
    return dir;
}

std::string Line(long i, long rows) {
    long long span = 10LL * 365 * 86400, t = span * i / rows + NextRandom() % 60;
    long long day = t / 86400, sec = t % 86400;
    int y = 2001 + static_cast<int>(day / 365), doy = static_cast<int>(day % 365);
    int m = 1 + doy / 31 % 12, d = 1 + doy % 28;
    int h = static_cast<int>(sec / 3600), mi = static_cast<int>(sec / 60 % 60), s = static_cast<int>(sec % 60);
    int eh = std::min(h + NextRandom() % 3, 23);
    char line[512];
    std::snprintf(line, sizeof line,
                  "ID%04d%02d%02d%02d%02d%02d%02d\t2010/11/14 09:00:00\t%04d/%02d/%02d %02d:%02d:%02d\t"
                  "%04d/%02d/%02d %02d:%02d:%02d\t35.%06d\t139.%06d\t会議 %ld\t東京都千代田区\tcat%d\t仕事\t"
                  "\"memo text of a usual length, with a few words\"\t\r\n",
                  y, m, d, h, mi, s, static_cast<int>(i % 100), y, m, d, h, mi, s, y, m, d, eh, mi, s,
                  NextRandom() * 30, NextRandom() * 30, i % 50, static_cast<int>(i % 7));
    return line;
}

// A data file holding rows actions, imported once from a Ver.3 file made for it.
std::string FilledDataFile(long rows) {
    std::string path = Folder() + "/filled" + std::to_string(rows) + ".sdf";
    if (fs::exists(path)) return path;
    std::string input = Folder() + "/rows" + std::to_string(rows) + ".csv";
    SeedRandom(1);
    std::string text = ToUtf8(Ver3HeaderLine()) + "\r\n";
    for (long i = 0; i < rows; ++i)
        text += Line(i, rows);
    std::string bytes = ToCp932(FromUtf8(text));
    std::FILE* f = std::fopen(input.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    CreateDataFile(FromUtf8(path + ".part"));
    ActionIndex index;
    ExchangeTarget target{*OpenTables()->userData, index};
    ImportActions(target, FromUtf8(input), ExchangeLayout::Ver3, ImportMode::Replace);
    CloseDataFile();
    fs::remove(input);
    fs::rename(path + ".part", path);
    return path;
}

// Yes to the question before the run, OK to everything else.
class AnswerYes : public MessagePresenter {
public:
    int Show(WindowHandle, std::u16string_view, std::u16string_view, unsigned flags) override {
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }
};

void BM_DiaryExportVer3(benchmark::State& state) {
    std::string data = FilledDataFile(state.range(0));
    OpenDataFile(FromUtf8(data));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    ExchangeTarget target{*OpenTables()->userData, index};
    std::string out = Folder() + "/export.csv";
    for (auto _ : state) {
        if (ExportActions(target, FromUtf8(out), ExchangeLayout::Ver3) != state.range(0)) state.SkipWithError("export");
    }
    CloseDataFile();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The whole run: the working copy, the read, both files, the copy removed.
void BM_Salvage(benchmark::State& state) {
    std::string data = FilledDataFile(state.range(0));
    AnswerYes answers;
    SetMessagePresenter(&answers);
    SetProgramFolder(FromUtf8(Folder() + "/program/"));
    fs::create_directories(Folder() + "/program");
    std::string out = Folder() + "/salvage.csv";
    for (auto _ : state) {
        SalvageResult result = RunSalvage(nullptr, FromUtf8(data), FromUtf8(out));
        if (result.code != 0 || result.counts.exported != state.range(0)) state.SkipWithError("salvage");
    }
    SetMessagePresenter(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

} // namespace

BENCHMARK(BM_DiaryExportVer3)->Apply(Sizes);
BENCHMARK(BM_Salvage)->Apply(Sizes);

BENCHMARK_MAIN();
