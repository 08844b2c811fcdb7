// Import and export at scale against the sqlite3 command-line tool on the same rows
// in the same run: the tool's .import of the tab-separated rows into an empty data
// file, and its tab-separated output of the twelve columns in start order. The
// files (10 years of realistic rows) are made once in TIDEMARK_BENCH_DATA (default
// /tmp/tidemark-bench). The peak memory of an import is measured in a child process
// that does nothing but the import (this program started again with --import-only).
// Each import also reports cpu_ms: the processor time of the work timed (ours: this
// process, both reading threads; the tool: its process), since on a shared machine
// the wall time depends on what else runs.
#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "core/Cp932.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Folder() {
    return BenchFolder("/tmp/tidemark-bench");
}

// The Ver.3 file of rows actions (CP932), made once.
std::string Ver3File(long rows) {
    return CachedFile(Folder() + "/exchange" + std::to_string(rows) + ".csv",
                      [rows](const std::string& building) { WriteVer3File(building, rows); });
}

// The same rows without the header, in UTF-8 as the tool reads them.
std::string ToolFile(long rows) {
    std::string path = Folder() + "/exchange" + std::to_string(rows) + ".tsv";
    if (fs::exists(path)) return path;
    std::string command = "tail -n +2 " + Ver3File(rows) + " | iconv -f CP932 -t UTF-8 | tr -d '\\r' > " + path;
    if (std::system(command.c_str()) != 0) std::abort();
    return path;
}

// A new empty data file at path (copied from a template made once).
void EmptyDataFile(const std::string& path) {
    std::string templ = Folder() + "/empty.sdf";
    if (!fs::exists(templ)) {
        CreateDataFile(FromUtf8(templ));
        CloseDataFile();
    }
    fs::copy_file(templ, path, fs::copy_options::overwrite_existing);
}

// Processor time (user and system) of this process or of its ended children, in ms.
double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// cpu_ms: the average processor time of one iteration.
void ReportCpu(benchmark::State& state, double cpuMs) {
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

void Import(benchmark::State& state, ImportMode mode) {
    std::string input = Ver3File(state.range(0));
    std::string data = Folder() + "/import.sdf";
    ActionIndex index;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CloseDataFile();
        EmptyDataFile(data);
        OpenDataFile(FromUtf8(data));
        ExchangeTarget target{*OpenTables()->userData, index};
        double before = CpuMs(RUSAGE_SELF);
        state.ResumeTiming();
        if (ImportActions(target, FromUtf8(input), ExchangeLayout::Ver3, mode) != 0) state.SkipWithError("import");
        cpu += CpuMs(RUSAGE_SELF) - before;
    }
    CloseDataFile();
    ReportCpu(state, cpu);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ImportVer3Replace(benchmark::State& state) {
    Import(state, ImportMode::Replace);
}
void BM_ImportVer3Add(benchmark::State& state) {
    Import(state, ImportMode::Add);
}

// Imports input into a new data file in a child process (this program with
// --import-only) and answers the child's peak resident size in MB, or -1.
double ChildImportPeakMegabytes(const std::string& input, ImportMode mode) {
    std::string data = Folder() + "/child.sdf";
    EmptyDataFile(data);
    std::string modeText = std::to_string(static_cast<int>(mode));
    pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", "bench_exchange", "--import-only", input.c_str(), data.c_str(), modeText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ChildPeak(benchmark::State& state, ImportMode mode) {
    std::string input = Ver3File(state.range(0));
    double peak = 0;
    for (auto _ : state)
        peak = ChildImportPeakMegabytes(input, mode);
    if (peak < 0) state.SkipWithError("child import");
    double file = static_cast<double>(fs::file_size(input)) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = peak;
    state.counters["file_MB"] = file;
    state.counters["peak_per_file"] = peak / file;
}

void BM_ImportPeakReplace(benchmark::State& state) {
    ChildPeak(state, ImportMode::Replace);
}
void BM_ImportPeakAdd(benchmark::State& state) {
    ChildPeak(state, ImportMode::Add);
}

void BM_ToolImport(benchmark::State& state) {
    std::string input = ToolFile(state.range(0));
    std::string data = Folder() + "/tool.sdf";
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyDataFile(data);
        double before = CpuMs(RUSAGE_CHILDREN);
        state.ResumeTiming();
        Run("sqlite3 " + data + " -cmd '.mode tabs' '.import " + input + " t_UserData'");
        cpu += CpuMs(RUSAGE_CHILDREN) - before;
    }
    ReportCpu(state, cpu);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A data file holding the rows of the Ver.3 file, made once.
std::string FilledDataFile(long rows) {
    return CachedFile(Folder() + "/filled" + std::to_string(rows) + ".sdf", [rows](const std::string& building) {
        EmptyDataFile(building);
        OpenDataFile(FromUtf8(building));
        ActionIndex index;
        ExchangeTarget target{*OpenTables()->userData, index};
        ImportActions(target, FromUtf8(Ver3File(rows)), ExchangeLayout::Ver3, ImportMode::Replace);
        CloseDataFile();
    });
}

void BM_ExportVer3(benchmark::State& state) {
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

void BM_ToolExport(benchmark::State& state) {
    std::string data = FilledDataFile(state.range(0));
    std::string out = Folder() + "/tool-export.tsv";
    for (auto _ : state) {
        Run("sqlite3 " + data +
            " -cmd '.mode tabs' 'select f_nchActId, f_dtLastUpdate, f_nchStaDateTime, f_nchEndDateTime, "
            "f_fltLatitude, f_fltLongitude, f_nvcSubject, f_nvcPlace, f_nvcCategory1, f_nvcCategory2, f_nvcMemo, "
            "f_nvcExtItems from t_UserData order by f_nchStaDateTime' > " +
            out);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

} // namespace

BENCHMARK(BM_ToolImport)->Apply(Sizes);
BENCHMARK(BM_ImportVer3Replace)->Apply(Sizes);
BENCHMARK(BM_ImportVer3Add)->Apply(Sizes);
BENCHMARK(BM_ToolExport)->Apply(Sizes);
BENCHMARK(BM_ExportVer3)->Apply(Sizes);
BENCHMARK(BM_ImportPeakReplace)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ImportPeakAdd)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// --import-only input data mode: imports input (Ver.3) into the data file and ends;
// the exit code is 0 when the import succeeded.
int ImportOnly(char** argv) {
    if (FAILED(OpenDataFile(FromUtf8(argv[3])))) return 2;
    ActionIndex index;
    ExchangeTarget target{*OpenTables()->userData, index};
    int result =
        ImportActions(target, FromUtf8(argv[2]), ExchangeLayout::Ver3, static_cast<ImportMode>(std::atoi(argv[4])));
    CloseDataFile();
    return result == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--import-only") == 0) return ImportOnly(argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
