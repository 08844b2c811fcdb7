// The map view at scale: a day of 500 positioned actions in a file of 1,000,000 (and
// 10,000) actions, read, put into the list and painted into an image; and a pan, one
// pointer move and the repaint of the plot per frame.
#include <benchmark/benchmark.h>

#include "bench/BenchQtApp.h"

#include "MapBenchFile.h"

#include "app/MainApp.h"
#include "core/Paths.h"
#include "core/ScaleByDpi.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"
#include "views/MapView.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <memory>

namespace {

// The main window on the map view of the benchmark day, at 240 × 320 (96-dpi pixels).
struct MapWindow {
    explicit MapWindow(long rows) {
        std::string dir = BenchFolder() + "/settings" + std::to_string(rows);
        std::filesystem::create_directories(dir);
        SetProgramFolder(FromUtf8(dir + "/"));
        OpenDataFile(FromUtf8(MapFile(rows)));
        RebuildActionIndex(*OpenTables()->userData, app.actionIndex);
        OpenTables()->userData->LongestActionSeconds();
        app.settings = DefaultSettings(ProgramDpi());
        app.shownDate = kMapBenchDay;
        window = std::make_unique<CMainWnd>(app);
        window->resize(ScaleByDpi(240), ScaleByDpi(320));
        window->show();
        window->Start(5, 1);
        QApplication::processEvents();
        image = QImage(window->size() * window->devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(window->devicePixelRatio());
    }
    ~MapWindow() {
        window.reset();
        CloseDataFile();
    }
    CMainApp app;
    std::unique_ptr<CMainWnd> window;
    QImage image;
};

// Read the day, fill the list, and paint the whole window (plot and list) into an image.
void BM_MapFillPaint(benchmark::State& state) {
    MapWindow map(state.range(0));
    for (auto _ : state) {
        map.window->RefillView();
        map.window->render(&map.image);
    }
    state.counters["rows"] = static_cast<double>(map.window->mapView().data().list.rows.size());
}

// The plot alone painted into an image: what each frame of a pan costs at least.
void BM_MapPaintPlot(benchmark::State& state) {
    MapWindow map(state.range(0));
    for (auto _ : state) {
        QPainter painter(&map.image);
        map.window->mapView().Paint(painter);
    }
    state.counters["markers"] = static_cast<double>(map.window->mapView().data().positions.size());
}

// A pan as the pointer does it: a press, then per frame one move of a few pixels
// (back and forth, so the markers stay in sight) and the repaint of the plot area
// through the window's paint event.
void BM_MapPanFrame(benchmark::State& state) {
    MapWindow map(state.range(0));
    CMapView& view = map.window->mapView();
    QRect area = view.PlotArea();
    QPoint at = area.center() - QPoint(ScaleByDpi(20), 0);
    view.Press(at);
    at += QPoint(ScaleByDpi(10), ScaleByDpi(10));
    view.Move(at); // past the drag threshold: the pan starts
    int step = 0;
    for (auto _ : state) {
        int dx = (step++ / 20) % 2 == 0 ? 3 : -3;
        at += QPoint(dx, dx / 3);
        view.Move(at);
        map.window->render(&map.image, QPoint(), QRegion(area));
    }
    view.Release(at);
}

BENCHMARK(BM_MapFillPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapPaintPlot)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapPanFrame)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
