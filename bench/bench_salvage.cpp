// The salvage of an undamaged data file against the diary's own Ver.3 export of the
// same file, in the same run, each as its program runs it: the export as the
// import/export dialog does (wait cursor, its progress dialog, the completion
// message), the salvage with flotsam's progress dialog (offscreen). The data files
// (10 years of realistic rows) are made once in TIDEMARK_BENCH_DATA (default
// /tmp/tidemark-bench-salvage).
#include <benchmark/benchmark.h>

#include "bench/BenchQtApp.h"

#include "bench/BenchData.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "salvage/SalvageRun.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <QApplication>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string Folder() {
    return BenchFolder("/tmp/tidemark-bench-salvage");
}

// A data file holding rows actions, imported once from a Ver.3 file made for it.
std::string FilledDataFile(long rows) {
    return CachedFile(Folder() + "/filled" + std::to_string(rows) + ".sdf", [rows](const std::string& building) {
        std::string input = Folder() + "/rows" + std::to_string(rows) + ".csv";
        WriteVer3File(input, rows);
        CreateDataFile(FromUtf8(building));
        ActionIndex index;
        ExchangeTarget target{*OpenTables()->userData, index};
        ImportActions(target, FromUtf8(input), ExchangeLayout::Ver3, ImportMode::Replace);
        CloseDataFile();
        fs::remove(input);
    });
}

void BM_DiaryExportVer3(benchmark::State& state) {
    std::string data = FilledDataFile(state.range(0));
    OpenDataFile(FromUtf8(data));
    ActionIndex index;
    RebuildActionIndex(*OpenTables()->userData, index);
    ExchangeTarget target{*OpenTables()->userData, index};
    std::string out = Folder() + "/export.csv";
    for (auto _ : state) {
        WaitCursorScope wait;
        CExchangeProgress progress(nullptr, QStringLiteral("エクスポート"), QString::fromStdString(out));
        if (RunExportActions(target, FromUtf8(out), ExchangeLayout::Ver3) != state.range(0))
            state.SkipWithError("export");
    }
    CloseDataFile();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The whole run: the working copy, the read, both files, the copy removed.
void BM_Salvage(benchmark::State& state) {
    std::string data = FilledDataFile(state.range(0));
    SetProgramFolder(FromUtf8(Folder() + "/program/"));
    fs::create_directories(Folder() + "/program");
    std::string out = Folder() + "/salvage.csv";
    for (auto _ : state) {
        SalvageResult result = RunSalvage(nullptr, FromUtf8(data), FromUtf8(out));
        if (result.code != 0 || result.counts.exported != state.range(0)) state.SkipWithError("salvage");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

} // namespace

BENCHMARK(BM_DiaryExportVer3)->Apply(Sizes);
BENCHMARK(BM_Salvage)->Apply(Sizes);

// The Qt platform of both programs (wait cursor, progress dialog) under the offscreen
// platform; every question answered Yes.
int main(int argc, char** argv) {
    AnswerYes answers;
    return RunQtBenchmarks(argc, argv, [&answers] {
        InstallQtPlatform();
        SetMessagePresenter(&answers);
    });
}
