// The map view: the scale bar's step rule, zoom limits, the pan fold, hit testing,
// the fill with its reference and list, taps and drags through the window, "移動",
// menu 131 and the web map of the 編集 menu captured at the opener.
#include "views/MapView.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "edit/WebMap.h"
#include "store/DataFileTables.h"
#include "tests/support/Screens.h"
#include "tests/views/ViewsTestSupport.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>

namespace {

using Rows = std::vector<std::string>;

TEST(MapArithmetic, ScaleBarStepRule) {
    // 100 px at scale 100 and 35° is about 111 km: p = 100000, q = 1, halved.
    MapScaleBar bar = ComputeScaleBar(35, 100, 100);
    EXPECT_EQ(bar.metres, 50000);
    EXPECT_EQ(bar.gridStep, 44);
    EXPECT_EQ(ToUtf8(ScaleBarLabel(bar.metres)), "50km");
    // q ≥ 6 doubles: scale 15 gives about 741 km, p = 100000 × 2.
    bar = ComputeScaleBar(35, 15, 100);
    EXPECT_EQ(bar.metres, 200000);
    // q between 2 and 5 keeps the power of ten.
    bar = ComputeScaleBar(35, 300, 100);
    EXPECT_EQ(bar.metres, 10000);
    EXPECT_EQ(ToUtf8(ScaleBarLabel(bar.metres)), "10km");
    EXPECT_EQ(ToUtf8(ScaleBarLabel(2000000)), "2Mm");
    EXPECT_EQ(ToUtf8(ScaleBarLabel(500)), "500m");
    // The finest zoom stays at a one-metre step with a real grid.
    bar = ComputeScaleBar(35, kMapMaxScale, 100);
    EXPECT_EQ(bar.metres, 1);
    EXPECT_GE(bar.gridStep, 1);
    EXPECT_NEAR(EarthRadiusAt(0), 6378137.0, 0.01);
    EXPECT_NEAR(EarthRadiusAt(90), 6356752.314, 0.01);
}

TEST(MapArithmetic, ZoomStaysWithinLimitsAndKeepsTheCentre) {
    MapPlot plot;
    plot.ox = 150;
    plot.oy = 80;
    // Up by 20 at the divisor −40 zooms in by half.
    ZoomStep(plot, -20, -40, 200, 160);
    EXPECT_EQ(plot.scale, 150);
    EXPECT_EQ(plot.ox, 175); // 150 + trunc(50 × 0.5)
    EXPECT_EQ(plot.oy, 80);
    for (int i = 0; i < 100; ++i)
        ZoomStep(plot, -400, -40, 200, 160);
    EXPECT_EQ(plot.scale, kMapMaxScale);
    for (int i = 0; i < 100; ++i)
        ZoomStep(plot, 39, -40, 200, 160);
    EXPECT_EQ(plot.scale, kMapMinScale);
    ZoomStep(plot, 400, -40, 200, 160); // f = −10 would make the scale negative
    EXPECT_EQ(plot.scale, kMapMinScale);
}

TEST(MapArithmetic, PanFoldsIntoTheReferenceWithinOneGridStep) {
    MapPlot plot;
    plot.lat0 = 35;
    plot.lon0 = 139;
    plot.scale = 100;
    plot.gridStep = 44;
    plot.ox = 100 + 90; // dragged 90 right and 50 up so far
    plot.oy = 80 - 50;
    FoldPan(plot, 7, -3, 200, 160); // the last move
    // a = 97: 97 − 97 mod 44 = 88; b = −53: the remainder keeps the sign, −9.
    EXPECT_DOUBLE_EQ(plot.lon0, 139 - 0.88);
    EXPECT_DOUBLE_EQ(plot.lat0, 35 + (-44) / 100.0);
    EXPECT_EQ(plot.ox, 100 + 9);
    EXPECT_EQ(plot.oy, 80 - 9);
    // The points under the plot stay where they were.
    double lat, lon;
    PlotPointCoordinates(plot, 109, 71, lat, lon);
    EXPECT_DOUBLE_EQ(lat, 35 - 0.44);
    EXPECT_DOUBLE_EQ(lon, 139 - 0.88);
}

TEST(MapArithmetic, HitTestAndCoordinates) {
    MapPlot plot;
    plot.lat0 = 35;
    plot.lon0 = 139;
    plot.ox = 100;
    plot.oy = 80;
    std::vector<MapPosition> positions{{0, 35, 139}, {1, 35.1, 139.1}, {1, 35.1, 139.12}, {1, 35, 139}};
    // Record 1 anchors at (110, 25 + 70); record 2 at (112, 95); record 3 at (100, 105).
    EXPECT_EQ(HitMarker(plot, positions, 25, 110, 95), 1);
    EXPECT_EQ(HitMarker(plot, positions, 25, 116, 100), 2); // first within 5 px in index order
    EXPECT_EQ(HitMarker(plot, positions, 25, 105, 100), 1);
    EXPECT_EQ(HitMarker(plot, positions, 25, 100, 105), 3); // record 0 has no position
    EXPECT_EQ(HitMarker(plot, positions, 25, 100, 111), -1);
    EXPECT_EQ(DragThreshold(96), 4);
    EXPECT_EQ(DragThreshold(144), 6);
    EXPECT_EQ(ParseCoordinate(u"35.681"), 35.681);
    EXPECT_EQ(ParseCoordinate(u"-0.5"), -0.5);
    EXPECT_FALSE(ParseCoordinate(u""));
    EXPECT_FALSE(ParseCoordinate(u"35.6N"));
    EXPECT_FALSE(ParseCoordinate(u" 35"));
    EXPECT_FALSE(ParseCoordinate(u"nan"));
    EXPECT_EQ(ToUtf8(CentreDegreesText(35.5)), "35/30/00");
    EXPECT_EQ(ToUtf8(CentreDegreesText(139.25)), "139/15/00");
}

class MapView : public MainWndFixture {
protected:
    void SetUp() override {
        MainWndFixture::SetUp();
        SetWebMapOpener([this](const std::string& url) {
            urls.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        SetWebMapOpener({});
        MainWndFixture::TearDown();
    }
    void Position(const char* place, const char* latitude, const char* longitude) {
        std::string sql = std::string("update t_UserData set f_fltLatitude = '") + latitude + "', f_fltLongitude = '" +
                          longitude + "' where f_nvcPlace = '" + place + "'";
        ASSERT_EQ(ExecuteSql(OpenTables()->db, sql), S_OK);
    }
    void InsertDay() {
        Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "駅", "移動", "朝"},
                {"2010/11/14 10:00:00", "2010/11/14 11:00:00", "店", "買物", "昼"},
                {"2010/11/14 12:00:00", "2010/11/14 13:00:00", "家", "食事", "夜"},
                {"2010/11/15 12:00:00", "2010/11/15 13:00:00", "港", "散歩", ""}});
        Position("駅", "35.0", "139.0");
        Position("店", "35.2", "139.4");
        Position("港", "34.0", "135.0");
    }
    // The plot painted into an image of the window's size.
    QImage Paint(CMainWnd& w) {
        QImage image(w.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        w.mapView().Paint(painter);
        return image;
    }
    std::vector<std::string> urls;
};

TEST_F(MapView, FillsTheListAndTakesTheMeanAsReference) {
    InsertDay();
    CMainWnd& w = Window(5);
    EXPECT_EQ(Column(0), (Rows{"1", "2", "3", ""}));
    EXPECT_EQ(Column(1), (Rows{"08:00-09:00", "10:00-11:00", "12:00-13:00", "<新規作成>"}));
    EXPECT_EQ(Column(2), (Rows{"駅", "店", "家", ""}));
    EXPECT_EQ(w.listControl()->headerItem()->text(0).toStdString(), "No");
    EXPECT_EQ(w.listControl()->columnCount(), 6);
    const MapPlot& plot = w.mapView().plot();
    EXPECT_DOUBLE_EQ(plot.lat0, 35.1);
    EXPECT_DOUBLE_EQ(plot.lon0, 139.2);
    EXPECT_EQ(plot.referenceSet, 1);
    QRect area = w.mapView().PlotArea();
    EXPECT_EQ(area.height(), 240);
    EXPECT_EQ(area.width(), 360);
    EXPECT_EQ(plot.ox, 180);
    EXPECT_EQ(plot.oy, 120);
    // Marker 1 at (180 − 20, T + 120 + 10) is painted, its label box in its colour.
    QImage image = Paint(w);
    MapPoint a = MarkerAnchor(plot, w.mapView().data().positions[0], area.top());
    EXPECT_EQ(a.x, 180 + static_cast<int>((139.0 - 139.2) * 100)); // truncated toward zero
    EXPECT_EQ(image.pixelColor(a.x - 4, a.y - 4), QColor(100, 100, 224));
    EXPECT_EQ(image.pixelColor(area.width() - 3, area.top() + 60), QColor(128, 128, 255)); // zoom strip
    EXPECT_EQ(w.mapView().plot().gridStep, ComputeScaleBar(35.1, 100, 150).gridStep);
    // The next day's only position does not move the reference once set.
    w.OnCommand(Cmd::NextDay);
    EXPECT_DOUBLE_EQ(w.mapView().plot().lat0, 35.1);
    EXPECT_EQ(Column(2), (Rows{"港", ""}));
    // The search condition narrows the day.
    w.OnCommand(Cmd::PrevDay);
    app.searchCondition = u"f_nvcPlace = '店'";
    w.RefillView();
    EXPECT_EQ(Column(2), (Rows{"店", ""}));
    // A broken condition is reported under the map view's name and empties the list.
    app.searchCondition = u"no_such_column = 1";
    messages.Clear();
    w.RefillView();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("CMainWnd:SetDataMapViewForLV Select Err (ln=", 0), 0u);
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_EQ(Column(1), (Rows{"<新規作成>"}));
}

TEST_F(MapView, DayWithoutPositionsKeepsTheDefaultReference) {
    Insert({{"2010/11/14 08:00:00", "2010/11/14 09:00:00", "駅"}});
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "update t_UserData set f_fltLatitude = '35.0'"), S_OK);
    CMainWnd& w = Window(5);
    EXPECT_DOUBLE_EQ(w.mapView().plot().lat0, 36.5626);
    EXPECT_DOUBLE_EQ(w.mapView().plot().lon0, 136.362305);
    EXPECT_EQ(w.mapView().plot().referenceSet, 0);
    EXPECT_EQ(w.mapView().data().positions[0].hasPosition, 0);
    Paint(w); // an empty grid paints without a marker
}

TEST_F(MapView, SmallMoveIsATapAndOpensTheMarker) {
    InsertDay();
    std::vector<int> modes;
    ViewHooks().runEditDialog = [&](CMainWnd&, int mode) {
        modes.push_back(mode);
        return 2;
    };
    CMainWnd& w = Window(5);
    QRect area = w.mapView().PlotArea();
    MapPoint a = MarkerAnchor(w.mapView().plot(), w.mapView().data().positions[1], area.top());
    QPoint at(a.x + 2, a.y - 2);
    QTest::mousePress(&w, Qt::LeftButton, {}, at);
    QTest::mouseMove(&w, at + QPoint(6, 0)); // within (144 + 12) × 4 / 96 = 6
    QTest::mouseRelease(&w, Qt::LeftButton, {}, at + QPoint(6, 0));
    ASSERT_EQ(modes, (std::vector<int>{EditDlgMode::Change}));
    EXPECT_EQ(app.selectedActionId, w.mapView().data().list.rows[1].id);
    // A tap beside every marker opens nothing.
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(area.left() + 5, area.top() + 5));
    EXPECT_EQ(modes.size(), 1u);
}

TEST_F(MapView, DragPansAndFoldsIntoTheReference) {
    InsertDay();
    CMainWnd& w = Window(5);
    CMapView& map = w.mapView();
    QRect area = map.PlotArea();
    double lat0 = map.plot().lat0, lon0 = map.plot().lon0;
    int g = ComputeScaleBar(lat0, 100, 150).gridStep; // 150 px is 100 at 144 dpi
    ASSERT_GT(g, 0);
    QPoint at(100, area.top() + 100);
    ASSERT_TRUE(map.Press(at));
    map.Move(at + QPoint(10, 0)); // becomes a pan, no shift yet
    EXPECT_EQ(map.plot().dragMode, MapDrag::Pan);
    map.Move(at + QPoint(70, 30));
    EXPECT_EQ(map.plot().ox, 180 + 60);
    EXPECT_EQ(map.plot().oy, 120 + 30);
    map.Release(at + QPoint(75, 30));
    // a = 65, b = 30: the whole steps go into the reference.
    int a = 65, b = 30;
    EXPECT_EQ(map.plot().ox, 180 + a % g);
    EXPECT_EQ(map.plot().oy, 120 + b % g);
    EXPECT_DOUBLE_EQ(map.plot().lon0, lon0 - (a - a % g) / 100.0);
    EXPECT_DOUBLE_EQ(map.plot().lat0, lat0 + (b - b % g) / 100.0);
    EXPECT_EQ(map.plot().dragMode, MapDrag::None);
    // A drag down the zoom strip zooms out; the release adds nothing.
    QPoint strip(area.width() - 5, area.top() + 50);
    ASSERT_TRUE(map.Press(strip));
    map.Move(strip + QPoint(0, 10));
    EXPECT_EQ(map.plot().dragMode, MapDrag::Zoom);
    map.Move(strip + QPoint(0, 30)); // f = 20 / −60 at 144 dpi
    EXPECT_EQ(map.plot().scale, 66);
    map.Release(strip + QPoint(0, 40));
    EXPECT_EQ(map.plot().scale, 66);
}

// "新規作成..." of menu 131 gives the edit dialog the held point (or the held marker's
// position); the main menu's "新規作成" in the map view the selected row's position,
// none without one. The position is for that one opening only.
TEST_F(MapView, NewActionStartsAtTheHeldPointOrTheSelectedRow) {
    InsertDay();
    using Point = std::optional<std::pair<double, double>>;
    std::vector<Point> given;
    ViewHooks().runEditDialog = [&](CMainWnd& window, int mode) {
        EXPECT_EQ(mode, EditDlgMode::New);
        given.push_back(window.app().newActionPosition);
        return 2;
    };
    CMainWnd& w = Window(5);
    CMapView& map = w.mapView();
    QRect area = map.PlotArea();
    QList<QAction*> items = map.menu()->actions();
    ASSERT_EQ(items[4]->text().toStdString(), "新規作成...");
    // 30 px right of and 60 px below the origin: scale 100 px per degree.
    map.Hold(QPoint(map.plot().ox + 30, area.top() + map.plot().oy + 60));
    items[4]->trigger();
    ASSERT_EQ(given.size(), 1u);
    ASSERT_TRUE(given[0]);
    EXPECT_DOUBLE_EQ(given[0]->first, map.plot().lat0 - 0.6);
    EXPECT_DOUBLE_EQ(given[0]->second, map.plot().lon0 + 0.3);
    EXPECT_FALSE(app.newActionPosition);
    MapPoint a = MarkerAnchor(map.plot(), map.data().positions[1], area.top());
    map.Hold(QPoint(a.x, a.y));
    items[4]->trigger();
    ASSERT_TRUE(given[1]);
    EXPECT_EQ(*given[1], std::pair(35.2, 139.4));
    w.listControl()->clearSelection();
    w.listControl()->topLevelItem(0)->setSelected(true);
    w.OnCommand(Cmd::EditNew);
    ASSERT_TRUE(given[2]);
    EXPECT_EQ(*given[2], std::pair(35.0, 139.0));
    w.listControl()->clearSelection();
    w.listControl()->topLevelItem(2)->setSelected(true); // 家 has no position
    w.OnCommand(Cmd::EditNew);
    EXPECT_FALSE(given[3]);
    w.SelectView(1);
    w.OnCommand(Cmd::EditNew);
    ASSERT_EQ(given.size(), 5u);
    EXPECT_FALSE(given[4]);
}

TEST_F(MapView, MoveCentresOnTheSelectedRow) {
    InsertDay();
    CMainWnd& w = Window(5);
    CMapView& map = w.mapView();
    map.plot().ox = 10;
    w.listControl()->clearSelection();
    messages.Clear();
    map.MoveToSelected();
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(messages.last().caption, u"移動不可");
    w.listControl()->topLevelItem(2)->setSelected(true); // 家 has no position
    map.MoveToSelected();
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().text, u"このアクションは位置情報が取得されていません。");
    EXPECT_EQ(messages.last().caption, u"位置情報なし");
    EXPECT_EQ(messages.last().flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
    w.listControl()->clearSelection();
    w.listControl()->topLevelItem(1)->setSelected(true);
    ViewHooks().moveMap = [](CMainWnd& window) { window.mapView().MoveToSelected(); };
    w.OnCommand(Cmd::EditMoveMap);
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_DOUBLE_EQ(map.plot().lat0, 35.2);
    EXPECT_DOUBLE_EQ(map.plot().lon0, 139.4);
    EXPECT_EQ(map.plot().ox, 180);
    EXPECT_EQ(map.plot().oy, 120);
}

TEST_F(MapView, WebMapOfTheEditMenuAndOfMenu131) {
    InsertDay();
    CMainWnd& w = Window(1, 2);
    ViewHooks().openWebMap = [](CMainWnd& window) { window.mapView().OnEditDispMap(); };
    w.listControl()->clearSelection();
    w.listControl()->topLevelItem(1)->setSelected(true);
    w.OnCommand(Cmd::EditWebMap);
    EXPECT_EQ(urls, (Rows{"https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=35.200000,139.400000&z=14"}));
    messages.Clear();
    w.listControl()->clearSelection();
    w.listControl()->topLevelItem(2)->setSelected(true);
    w.OnCommand(Cmd::EditWebMap);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"位置情報なし");
    w.listControl()->clearSelection();
    w.OnCommand(Cmd::EditWebMap);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    EXPECT_EQ(messages.last().caption, u"変更不可");
    w.SelectView(2);
    w.OnCommand(Cmd::EditWebMap);
    EXPECT_EQ(messages.last().text, u"画面上のアクションをタップ&ホールドして操作してください。");
    EXPECT_EQ(urls.size(), 1u);

    // Menu 131: a hold on marker 1 enables every item, and 地図表示 opens its position.
    w.SelectView(5);
    CMapView& map = w.mapView();
    QRect area = map.PlotArea();
    MapPoint a = MarkerAnchor(map.plot(), map.data().positions[0], area.top());
    map.Hold(QPoint(a.x, a.y));
    QList<QAction*> items = map.menu()->actions();
    ASSERT_EQ(items.size(), 6);
    for (QAction* item : items)
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
    items[0]->trigger();
    EXPECT_EQ(urls.back(), "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=35.000000,139.000000&z=14");
    // A hold beside the markers leaves 変更, 参照, 後続 and 削除 disabled, and the map
    // opens at the point: 30 px right and 60 px down from the origin.
    map.menu()->hide();
    map.Hold(QPoint(map.plot().ox + 30, area.top() + map.plot().oy + 60));
    Rows disabled;
    for (QAction* item : items)
        if (!item->isEnabled()) disabled.push_back(item->text().toStdString());
    EXPECT_EQ(disabled, (Rows{"変更...", "参照...", "後続...", "削除"}));
    items[0]->trigger();
    EXPECT_EQ(urls.back(), "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=34.500000,139.500000&z=14");
    map.menu()->hide();
}

// The scale bar's label sits left of the zoom strip and clear of its "--" at every
// dpi, upright and on its side, also when painted at a device pixel ratio of 2.
TEST_F(MapView, ScaleLabelClearsTheZoomStrip) {
    InsertDay();
    const QColor green(96, 192, 96);
    for (int dpi : {96, 144, 192}) {
        SetProgramDpi(dpi);
        for (bool upright : {true, false}) {
            SCOPED_TRACE(testing::Message() << dpi << (upright ? " upright" : " on its side"));
            CMainWnd& w = Window(5);
            int narrow = ScaleByDpi(240), wide = ScaleByDpi(320);
            w.resize(upright ? narrow : wide, upright ? wide : narrow);
            w.RefillView();
            CMapView& map = w.mapView();
            QRect area = map.PlotArea();
            QRect strip(area.right() + 1 - ScaleByDpi(14), area.top(), ScaleByDpi(14), area.height());
            for (const char* text : {"50km", "500km", "200m", "2Mm"}) {
                QRect label = map.ScaleLabelRect(QString::fromUtf8(text));
                EXPECT_FALSE(label.intersects(strip)) << text;
                EXPECT_FALSE(label.intersects(map.ZoomOutRect())) << text;
                EXPECT_TRUE(area.contains(label)) << text;
            }
            QImage image(w.size() * 2, QImage::Format_RGB32);
            image.setDevicePixelRatio(2);
            image.fill(Qt::black);
            {
                QPainter painter(&image);
                map.Paint(painter);
            }
            QRect label = map.ScaleLabelRect(
                ToQString(ScaleBarLabel(ComputeScaleBar(map.plot().lat0, 100, ScaleByDpi(100)).metres)));
            int greenLeft = 0, greenInStrip = 0;
            for (int y = 2 * label.top(); y < 2 * (label.bottom() + 1); ++y)
                for (int x = 2 * label.left(); x < 2 * (area.right() + 1); ++x)
                    if (image.pixelColor(x, y) == green) ++(x < 2 * strip.left() ? greenLeft : greenInStrip);
            EXPECT_GT(greenLeft, 0);
            EXPECT_EQ(greenInStrip, 0);
            QRect minus = map.ZoomOutRect();
            int pink = 0;
            for (int y = 2 * minus.top(); y < 2 * (minus.bottom() + 1); ++y)
                for (int x = 2 * minus.left(); x < 2 * (minus.right() + 1); ++x)
                    pink += image.pixelColor(x, y) == QColor(255, 128, 128);
            EXPECT_GT(pink, minus.width() * minus.height()); // of its 4 × w × h device pixels
        }
    }
    SetProgramDpi(144);
}

// On its side the list stands beside the plot over the whole height: several rows show
// and the plot keeps a usable size.
TEST_F(MapView, LandscapeListBesideThePlot) {
    InsertDay();
    CMainWnd& w = Window(5);
    w.resize(480, 360);
    w.RefillView();
    QRect area = w.mapView().PlotArea();
    QTreeWidget* list = w.listControl();
    EXPECT_GE(area.width(), 240);
    EXPECT_GE(area.height(), 240);
    EXPECT_FALSE(list->geometry().intersects(area));
    EXPECT_EQ(list->geometry().left(), area.right() + 1);
    EXPECT_EQ(list->geometry().top(), area.top());
    int rowHeight = list->visualItemRect(list->topLevelItem(0)).height();
    ASSERT_GT(rowHeight, 0);
    EXPECT_GE(list->viewport()->height() / rowHeight, 6);
    // Upright again, the plot spans the width above the list.
    w.resize(360, 480);
    EXPECT_EQ(w.mapView().PlotArea(), QRect(0, area.top(), 360, 240));
    EXPECT_EQ(list->geometry().top(), area.top() + 240);
    EXPECT_EQ(list->geometry().width(), 360);
}

// The "<新規作成>" row stays readable in the narrow list beside the plot, on an empty
// day and on a day whose period texts are shorter than it; a width the user stored
// is kept as it is.
TEST_F(MapView, NewActionRowFitsTheDateColumn) {
    // What the list's painting needs for the row's text, padding included.
    auto needed = [](QTreeWidget* list) {
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.widget = list;
        option.font = list->font();
        option.fontMetrics = list->fontMetrics();
        QModelIndex index = list->model()->index(list->topLevelItemCount() - 1, 1);
        EXPECT_EQ(index.data().toString().toStdString(), "<新規作成>");
        return list->itemDelegateForIndex(index)->sizeHint(option, index).width();
    };
    CMainWnd& w = Window(5);
    QTreeWidget* list = w.listControl();
    for (QSize size : {QSize(480, 360), QSize(640, 420), QSize(360, 480)}) {
        w.resize(size);
        w.RefillView();
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_GE(list->columnWidth(1), needed(list)) << size.width() << "x" << size.height();
    }
    InsertDay();
    w.resize(480, 360);
    w.RefillView();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_GE(list->columnWidth(1), needed(list));
    app.settings.MapVwLndColWdh[1] = 20;
    w.RefillView();
    EXPECT_EQ(list->columnWidth(1), 20);
}

} // namespace

namespace {

// Pictures of a day with several positioned actions, portrait and landscape.
TEST_F(MapView, Screenshots) {
    InsertDay();
    Insert({{"2010/11/14 14:00:00", "2010/11/14 15:00:00", "公園", "散歩", ""},
            {"2010/11/14 16:00:00", "2010/11/14 17:00:00", "図書館", "読書", ""}});
    Position("公園", "35.05", "139.3");
    Position("図書館", "35.3", "139.1");
    CMainWnd& w = Window(5);
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("map_portrait")).isEmpty());
    w.resize(480, 360);
    w.RefillView();
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("map_landscape")).isEmpty());
}

} // namespace
