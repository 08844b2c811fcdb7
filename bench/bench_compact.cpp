// Compaction of a 1,000,000-action data file against the engine's own command line
// `sqlite3 FILE 'vacuum into …'` on the same file in the same run: CompactDataFile
// with the progress dialog (offscreen) as the options page shows it, and the whole
// data page sequence (state saved, compacted, reopened, index rebuilt).
#include <benchmark/benchmark.h>

#include "bench/BenchQtApp.h"

#include "MapBenchFile.h"

#include "app/MainApp.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "options/DataFileOptions.h"
#include "store/ActionIndex.h"
#include "store/Compaction.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>

namespace {

// A copy of the generated file that the benchmarks compact in place, so that the
// cached file stays as it was made.
std::string WorkingCopy() {
    std::string source = MapFile(1000000);
    std::string dir = BenchFolder() + "/compact";
    std::filesystem::create_directories(dir);
    std::string copy = dir + "/user.sdf";
    if (!std::filesystem::exists(copy)) std::filesystem::copy_file(source, copy);
    std::filesystem::remove(dir + "/user.bak");
    return copy;
}

void Remove(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

void Counters(benchmark::State& state, const std::string& file) {
    state.counters["MiB"] = static_cast<double>(std::filesystem::file_size(file)) / (1 << 20);
}

void BM_SqliteVacuumInto(benchmark::State& state) {
    std::string file = WorkingCopy(), out = BenchFolder() + "/compact/vacuumed.sdf";
    std::string command = "sqlite3 '" + file + "' \"vacuum into '" + out + "'\"";
    for (auto _ : state) {
        state.PauseTiming();
        Remove(out);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("sqlite3 failed");
    }
    Counters(state, out);
    Remove(out);
}

void BM_CompactDataFile(benchmark::State& state) {
    std::string file = WorkingCopy(), backup = BenchFolder() + "/compact/user.bak";
    for (auto _ : state) {
        state.PauseTiming();
        Remove(backup);
        state.ResumeTiming();
        if (CompactDataFile(nullptr, FromUtf8(file)) != 0) state.SkipWithError("compaction failed");
    }
    Counters(state, file);
    Remove(backup);
}

void BM_CompactFromOptionsPage(benchmark::State& state) {
    std::string file = WorkingCopy(), backup = BenchFolder() + "/compact/user.bak";
    std::string settings = BenchFolder() + "/compact/settings/";
    std::filesystem::create_directories(settings);
    SetProgramFolder(FromUtf8(settings));
    CMainApp app;
    app.settings = DefaultSettings(ProgramDpi());
    app.settings.DataFile = FromUtf8(file);
    OpenDataFile(app.settings.DataFile);
    RebuildActionIndex(*OpenTables()->userData, app.actionIndex);
    for (auto _ : state) {
        state.PauseTiming();
        Remove(backup);
        state.ResumeTiming();
        if (CompactFromOptionsPage(nullptr, app.settings.DataFile, app) != 0) state.SkipWithError("compaction failed");
    }
    CloseDataFile();
    Remove(backup);
}

BENCHMARK(BM_SqliteVacuumInto)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CompactDataFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CompactFromOptionsPage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    AnswerYes yes;
    return RunQtBenchmarks(argc, argv, [&yes] {
        InstallQtPlatform();
        SetMessagePresenter(&yes);
    });
}
