// The map view's input: taps open the marker's action, drags pan the plot or, along
// the zoom strip, zoom it; a hold pops up menu 131. Also "移動" and the web map of the
// 編集 menu, which the other views share.
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Trace.h"
#include "edit/WebMap.h"
#include "store/DataFileTables.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"
#include "views/MapView.h"
#include "views/MonthView.h"

#include <QMenu>
#include <QTreeWidget>

namespace {

enum MenuCommand { WebMap, Change, Copy, Follow, New, Delete };

void Warn(QWidget* owner, const char16_t* text, const char16_t* caption) {
    ShowMessage(HandleOf(owner), text, caption, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

void CMapView::CreateMenu() {
    menu_ = new QMenu(&window_);
    menu_->setObjectName(QStringLiteral("menu131"));
    const std::pair<const char16_t*, int> items[] = {{u"地図表示", WebMap}, {u"変更...", Change},  {u"参照...", Copy},
                                                     {u"後続...", Follow},  {u"新規作成...", New}, {u"削除", Delete}};
    for (auto [text, command] : items) {
        int c = command;
        QAction* action = menu_->addAction(QString::fromUtf16(text));
        action->setData(c);
        QObject::connect(action, &QAction::triggered, menu_, [this, c] { OnMenu(c); });
    }
}

bool CMapView::Press(QPoint at) {
    QRect area = PlotArea();
    if (!area.contains(at)) return false;
    plot_.tapX = plot_.prevX = at.x();
    plot_.tapY = plot_.prevY = at.y();
    plot_.dragMode = MapDrag::TapPending;
    return true;
}

void CMapView::Hold(QPoint at) {
    plot_.dragMode = MapDrag::None;
    plot_.tapX = plot_.prevX = at.x();
    plot_.tapY = plot_.prevY = at.y();
    plot_.selectedMarker = HitMarker(plot_, data_.positions, PlotArea().top(), at.x(), at.y());
    bool hit = plot_.selectedMarker >= 0;
    for (QAction* action : menu_->actions()) {
        int c = action->data().toInt();
        action->setEnabled(hit || (c != Change && c != Copy && c != Follow && c != Delete));
    }
    menu_->popup(window_.mapToGlobal(at));
}

void CMapView::Move(QPoint at) {
    QRect area = PlotArea();
    const int w = area.width(), h = area.height();
    switch (plot_.dragMode) {
    case MapDrag::TapPending: {
        int limit = DragThreshold(ProgramDpi());
        if (std::abs(at.x() - plot_.tapX) <= limit && std::abs(at.y() - plot_.tapY) <= limit) return;
        plot_.dragMode = plot_.tapX < w - ScaleByDpi(14) ? MapDrag::Pan : MapDrag::Zoom;
        break; // the drag starts here: this move shifts nothing
    }
    case MapDrag::Pan:
        plot_.ox += at.x() - plot_.prevX;
        plot_.oy += at.y() - plot_.prevY;
        break;
    case MapDrag::Zoom:
        ZoomStep(plot_, at.y() - plot_.prevY, -(ProgramDpi() * 40 + 48) / 96, w, h);
        break;
    default:
        return;
    }
    plot_.prevX = at.x();
    plot_.prevY = at.y();
    RepaintPlot();
}

void CMapView::Release(QPoint at) {
    QRect area = PlotArea();
    int mode = plot_.dragMode;
    plot_.dragMode = MapDrag::None;
    if (mode == MapDrag::TapPending) {
        int marker = HitMarker(plot_, data_.positions, area.top(), plot_.tapX, plot_.tapY);
        std::u16string id;
        long long position = 0;
        if (marker < 0 || !ActionOfRow(marker, id, position)) return;
        window_.app_.selectedPosition = position;
        window_.app_.selectedActionId = id;
        window_.OpenEditDialog(EditDlgMode::Change);
    } else if (mode == MapDrag::Pan) {
        // The last move's shift comes in with the fold; the origin then sits within
        // one grid step of the centre and the reference carries the rest.
        plot_.gridStep = ComputeScaleBar(plot_.lat0, plot_.scale, ScaleByDpi(100)).gridStep;
        FoldPan(plot_, at.x() - plot_.prevX, at.y() - plot_.prevY, area.width(), area.height());
        RepaintPlot();
    }
    // A zoom ends where the last move left it: the release adds no step.
}

void CMapView::OnMenu(int command) {
    window_.ClosePopups();
    window_.tapAndHold_ = false;
    int marker = plot_.selectedMarker;
    if (command == WebMap) {
        OpenWebMapAtHold();
        return;
    }
    if (command == New) {
        window_.app_.newActionPosition = HeldPosition();
        window_.OpenEditDialog(EditDlgMode::New);
        return;
    }
    std::u16string id;
    long long position = 0;
    if (!ActionOfRow(marker, id, position)) return;
    if (command == Delete) {
        window_.AskAndDelete({id});
        return;
    }
    window_.app_.selectedPosition = position;
    window_.app_.selectedActionId = id;
    window_.OpenEditDialog(command == Change ? EditDlgMode::Change
                           : command == Copy ? EditDlgMode::Copy
                                             : EditDlgMode::Follow);
}

std::pair<double, double> CMapView::HeldPosition() const {
    int marker = plot_.selectedMarker;
    if (marker >= 0 && marker < static_cast<int>(data_.positions.size())) {
        const MapPosition& p = data_.positions[static_cast<size_t>(marker)];
        return {p.latitude, p.longitude};
    }
    // The held point is in window coordinates; the plot's rows start at its top.
    double latitude, longitude;
    PlotPointCoordinates(plot_, plot_.tapX, plot_.tapY - PlotArea().top(), latitude, longitude);
    return {latitude, longitude};
}

std::optional<std::pair<double, double>> CMapView::SelectedRowPosition() const {
    std::vector<int> rows = window_.SelectedActionRows();
    if (rows.empty() || rows[0] < 0 || rows[0] >= static_cast<int>(data_.positions.size())) return std::nullopt;
    const MapPosition& p = data_.positions[static_cast<size_t>(rows[0])];
    if (!p.hasPosition) return std::nullopt;
    return std::pair{p.latitude, p.longitude};
}

void CMapView::OpenWebMapAtHold() {
    auto [latitude, longitude] = HeldPosition();
    if (plot_.selectedMarker < 0) {
        Trace("wLat=%f mLat=%f Oy=%d Py=%d Scl=%d", latitude, plot_.lat0, plot_.oy, plot_.tapY, plot_.scale);
        Trace("wLon=%f mLon=%f Ox=%d Px=%d Scl=%d", longitude, plot_.lon0, plot_.ox, plot_.tapX, plot_.scale);
    }
    OpenWebMap(&window_, latitude, longitude);
}

void CMapView::MoveToSelected() {
    std::vector<int> rows = window_.SelectedActionRows();
    if (rows.empty() || rows[0] >= static_cast<int>(data_.positions.size())) {
        Warn(&window_, u"有効なアクションが選択されていません。", u"移動不可");
        return;
    }
    const MapPosition& p = data_.positions[static_cast<size_t>(rows[0])];
    if (!p.hasPosition) {
        Warn(&window_, u"このアクションは位置情報が取得されていません。", u"位置情報なし");
        return;
    }
    QRect area = PlotArea();
    plot_.ox = area.width() / 2;
    plot_.oy = area.height() / 2;
    plot_.lat0 = p.latitude;
    plot_.lon0 = p.longitude;
    RepaintPlot();
}

void CMapView::OnEditDispMap() {
    int view = window_.app_.currentView;
    if (view == 2) {
        Warn(&window_, u"画面上のアクションをタップ&ホールドして操作してください。", u"変更不可");
        return;
    }
    std::u16string id;
    long long position = 0;
    bool found = false;
    if (view == 3) {
        std::vector<int> lines = window_.monthView().SelectedLines();
        found = !lines.empty() && window_.ActionOfRow(lines[0], id, position);
    } else {
        std::vector<int> rows = window_.SelectedActionRows();
        found = !rows.empty() && window_.ActionOfRow(rows[0], id, position);
    }
    if (!found) {
        Warn(&window_, u"有効なアクションが選択されていません。", u"変更不可");
        return;
    }
    DataFileTables* tables = OpenTables();
    if (!tables) return;
    ActionRecord record;
    HRESULT hr = tables->userData->ReadActionById(id, record);
    if (hr == DB_E_NOTFOUND) {
        Warn(&window_, u"有効なアクションが選択されていません。", u"変更不可");
        return;
    }
    if (FAILED(hr)) {
        Trace("CMainWnd::OnEditDispMap Select Err (ln=%d, hr=%x)", 4611, static_cast<unsigned>(hr));
        ShowMessage(HandleOf(&window_), TraceBuffer(), u"Error", MB_OK);
        return;
    }
    auto latitude = record[ActionField::Latitude] ? ParseCoordinate(*record[ActionField::Latitude]) : std::nullopt;
    auto longitude = record[ActionField::Longitude] ? ParseCoordinate(*record[ActionField::Longitude]) : std::nullopt;
    if (!latitude || !longitude) {
        Warn(&window_, u"このアクションは位置情報が取得されていません。", u"位置情報なし");
        return;
    }
    OpenWebMap(&window_, *latitude, *longitude);
}
