// The action edit dialog at a million actions: opening it on an action (the window and
// the read), saving a change (update and index refresh), against the bare read and
// update; and the memo display of a 2,000-character memo full of programs.
// The data file is made once and kept in TIDEMARK_BENCH_DATA
// (default /tmp/tidemark-bench-editdlg).
#include <benchmark/benchmark.h>

#include "bench/BenchQtApp.h"

#include "app/MainApp.h"
#include "bench/BenchData.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/DateValue.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "edit/EditActionDlg.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "views/CommandIds.h"

#include <QApplication>
#include <QFont>

namespace {

// Ten years from 2001 with rows spread evenly, each lasting up to three hours.
std::string DataFile(long rows) {
    std::string path = BenchFolder("/tmp/tidemark-bench-editdlg") + "/actions" + std::to_string(rows) + ".sdf";
    const char* insertSql = "insert into t_UserData values (?1, '2010-12-31 00:00:00', ?2, ?3, 35.5, 139.7, "
                            "'subject', 'place', 'c1', 'c2', 'memo text of a usual length', '')";
    return CachedDataFile(path, insertSql, [rows](sqlite3_stmt* insert) {
        for (long i = 0; i < rows; ++i) {
            long long start = kTenYears * i / rows;
            long long end = start + (i % 181) * 60;
            std::string id =
                "ID" + MomentText(start, kIdMomentFormat) + ToUtf8(FormatText("%02d", static_cast<int>(i % 100)));
            std::string startText = MomentText(start, kMomentFormat);
            std::string endText = MomentText(end, kMomentFormat);
            InsertRow(insert, {id.c_str(), startText.c_str(), endText.c_str()});
        }
    });
}

CMainApp& BenchApp() {
    static CMainApp app;
    static bool ready = false;
    if (!ready) {
        app.settings = DefaultSettings(144);
        app.settings.TimeInitForNewMode = 1;
        app.timePickList = MakeTimePickList();
        app.settings.DataFile = FromUtf8(DataFile(1000000));
        OpenDataFile(app.settings.DataFile);
        RebuildActionIndex(*OpenTables()->userData, app.actionIndex);
        app.shownDate = {2005, 6, 1};
        SetApp(&app);
        ready = true;
    }
    return app;
}

// The dialog made, filled on an action and shown: what a tap on an action costs.
void BM_OpenDialogOnAction(benchmark::State& state) {
    CMainApp& app = BenchApp();
    long long i = 0;
    for (auto _ : state) {
        app.selectedPosition = i++ * 7919 % app.actionIndex.count();
        CEditActionDlg dialog(app, OpenTables()->userData.get());
        dialog.OnInitDialog(EditDlgMode::Change);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.form().startDate);
    }
}

// The read alone, for comparison.
void BM_BareReadActionById(benchmark::State& state) {
    CMainApp& app = BenchApp();
    long long i = 0;
    for (auto _ : state) {
        ActionRecord r;
        OpenTables()->userData->ReadActionById(app.actionIndex.IdAt(i++ * 7919 % app.actionIndex.count()), r);
        benchmark::DoNotOptimize(r);
    }
}

// A change saved from the open dialog: update, index refresh, the saved action found
// again (continuous input keeps the dialog open), the fields shown again.
void BM_SaveChange(benchmark::State& state) {
    CMainApp& app = BenchApp();
    app.selectedPosition = app.actionIndex.count() / 2;
    CEditActionDlg dialog(app, OpenTables()->userData.get());
    dialog.OnInitDialog(EditDlgMode::Change);
    dialog.form().continuous = true;
    dialog.show();
    long long i = 0;
    for (auto _ : state) {
        // Alternate the start between two minutes, so the action moves in the index.
        dialog.form().CommitStartTime(i++ % 2 ? u"00:00" : u"00:01");
        dialog.form().modified = true;
        dialog.OnCommand(EditCmd::Save);
        if (dialog.form().modified) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

// The bare update of one row in its own transaction, for comparison.
void BM_BareUpdate(benchmark::State& state) {
    CMainApp& app = BenchApp();
    ActionRecord r;
    OpenTables()->userData->ReadActionById(app.actionIndex.IdAt(app.actionIndex.count() / 3), r);
    long long i = 0;
    for (auto _ : state) {
        r[ActionField::Place] = FromUtf8("place " + std::to_string(i++));
        if (OpenTables()->userData->UpdateAction(r) != S_OK) {
            state.SkipWithError("update failed");
            break;
        }
    }
}

// A 2,000-character memo made of small programs and text, evaluated and shown.
void BM_MemoDisplay2000(benchmark::State& state) {
    CMainApp& app = BenchApp();
    app.settings.ActTxtMode = 2;
    app.selectedPosition = 0;
    CEditActionDlg dialog(app, OpenTables()->userData.get());
    dialog.OnInitDialog(EditDlgMode::Change);
    dialog.show();
    std::u16string memo;
    const std::u16string piece =
        u"距離 #x = 3 * 7 + 2# km, #Length(\"abcdef\") * 7# 回 #if (x > 10) { \"多\" } else { \"少\" }#; ";
    while (memo.size() + piece.size() <= 2000)
        memo += piece;
    while (memo.size() < 2000)
        memo += u'.';
    dialog.form().memo = memo;
    for (auto _ : state) {
        dialog.form().RefreshMemoDisplay();
        dialog.Refresh();
        QApplication::processEvents();
    }
    state.counters["memo_chars"] = static_cast<double>(memo.size());
    state.counters["shown_chars"] = static_cast<double>(dialog.form().memoShown.size());
    app.settings.ActTxtMode = 1;
}

BENCHMARK(BM_OpenDialogOnAction)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareReadActionById)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareUpdate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoDisplay2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    SetProgramDpi(144);
    int result = RunQtBenchmarks(argc, argv);
    CloseDataFile();
    SetApp(nullptr);
    return result;
}
