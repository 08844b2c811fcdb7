// The map view's fill (the day's rows in the list control) and its painting: zoom
// strip, centre cross, grid, markers, scale bar and centre coordinates.
#include "views/MapView.h"

#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QTreeWidget>

namespace {

QString Q(const std::u16string& text) {
    return ToQString(text);
}

// The box of a label with its top left at (x, y).
QRect LabelRect(const QFont& font, int x, int y, const QString& text) {
    QFontMetrics metrics(font);
    return QRect(x, y, metrics.boundingRect(text).width() + 2, metrics.height());
}

// Text in its box, drawn opaque in white on the colour.
void DrawLabel(QPainter& painter, const QRect& at, const QString& text, QColor background) {
    painter.fillRect(at, background);
    painter.setPen(Qt::white);
    painter.drawText(at, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void DrawLabel(QPainter& painter, int x, int y, const QString& text, QColor background) {
    DrawLabel(painter, LabelRect(painter.font(), x, y, text), text, background);
}

} // namespace

CMapView::CMapView(CMainWnd& window) : window_(window) {
    CreateMenu();
}

QRect CMapView::PlotArea() const {
    return window_.mapPlotRect_;
}

QRect CMapView::ZoomOutRect() const {
    QRect area = PlotArea();
    const int strip = ScaleByDpi(14);
    return LabelRect(window_.smallFont_, area.right() + 1 - strip, area.bottom() + 1 - ScaleByDpi(15),
                     QStringLiteral("--"));
}

QRect CMapView::ScaleLabelRect(const QString& text) const {
    // In the plot's bottom right corner a little left of the zoom strip, whatever the
    // label's width, so that it covers neither the strip's "--" nor the list below.
    QRect area = PlotArea();
    QRect box = LabelRect(window_.smallFont_, 0, 0, text);
    int right = area.right() + 1 - ScaleByDpi(14) - ScaleByDpi(2);
    return box.translated(right - box.width(), area.bottom() + 1 - box.height());
}

void CMapView::PlaceOriginOnce() {
    if (plot_.originPlaced) return;
    QRect area = PlotArea();
    plot_.ox = area.width() / 2;
    plot_.oy = area.height() / 2;
    plot_.originPlaced = true;
}

void CMapView::Fill() {
    PlaceOriginOnce();
    CMainApp& app = window_.app_;
    MapViewData data;
    int rc = 0;
    if (DataFileTables* tables = OpenTables())
        rc = LoadMapView(HandleOf(&window_), *tables->userData, app.actionIndex, app.shownDate, app.searchCondition,
                         plot_, data);
    data_ = rc == 0 ? std::move(data) : MapViewData{};
    plot_.selectedMarker = -1;
    FillList();
    window_.SetDateLabelToShownDate();
    RepaintPlot();
}

void CMapView::FillList() {
    QTreeWidget* list = window_.list_;
    const AppSettings& s = window_.app_.settings;
    list->setUpdatesEnabled(false);
    window_.SetListFont(s.DayVwGrdFntName, s.DayVwGrdFntSize);
    list->clear();
    list->setColumnCount(6);
    list->setHeaderLabels(
        {QStringLiteral("No"), QString::fromUtf16(u"日時"), Q(s.PlaceName), Q(s.Cate1Name), Q(s.MemoName), QString()});
    list->headerItem()->setTextAlignment(0, Qt::AlignHCenter);
    int w = list->viewport()->width();
    const int initial[6] = {ScaleByDpi(30), w / 4, w / 4, w / 4, 3 * w / 4, ScaleByDpi(100)};
    for (int c = 0; c < 6; ++c)
        list->setColumnWidth(c, initial[c]);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(data_.list.rows.size()) + 1);
    int k = 0;
    for (const DayViewRow& row : data_.list.rows) {
        auto* item = new QTreeWidgetItem(
            {QString::number(++k), Q(row.period), Q(row.place), Q(row.category1), Q(row.memo), QString()});
        item->setTextAlignment(0, Qt::AlignHCenter);
        items.push_back(item);
    }
    list->addTopLevelItems(items);
    ApplyColumnWidths();
    list->addTopLevelItem(new QTreeWidgetItem({QString(), QString::fromUtf16(u"<新規作成>")}));
    // A quarter of the narrow list beside the plot cuts the row's caption: an automatic
    // width leaves room for it (a width the user set stays as it is).
    const auto& stored =
        window_.IsPortrait() ? window_.app_.settings.MapVwPrtColWdh : window_.app_.settings.MapVwLndColWdh;
    if (stored[1] < 1) window_.WidenColumnToItem(list->topLevelItemCount() - 1, 1);
    list->setUpdatesEnabled(true);
    int selected = 0;
    for (size_t i = 0; i < data_.list.rows.size(); ++i)
        if (!window_.app_.selectedActionId.empty() && data_.list.rows[i].id == window_.app_.selectedActionId)
            selected = static_cast<int>(i);
    window_.SelectListRow(selected);
}

void CMapView::ApplyColumnWidths() {
    QTreeWidget* list = window_.list_;
    const auto& stored =
        window_.IsPortrait() ? window_.app_.settings.MapVwPrtColWdh : window_.app_.settings.MapVwLndColWdh;
    int cap = 2 * list->viewport()->width();
    for (int c = 0; c < 5; ++c) {
        int width = stored[static_cast<size_t>(c)];
        if (width >= 1) {
            list->setColumnWidth(c, width);
        } else if (list->topLevelItemCount() > 0) {
            window_.FitColumnToTexts(c);
            if (list->columnWidth(c) > cap) list->setColumnWidth(c, cap);
        }
    }
}

void CMapView::SaveColumnWidths() {
    QTreeWidget* list = window_.list_;
    if (data_.list.rows.empty() || list->columnCount() < 5) return;
    auto& stored = window_.IsPortrait() ? window_.app_.settings.MapVwPrtColWdh : window_.app_.settings.MapVwLndColWdh;
    for (int c = 0; c < 5; ++c)
        stored[static_cast<size_t>(c)] = list->columnWidth(c);
}

bool CMapView::ActionOfRow(int row, std::u16string& id, long long& position) const {
    if (row < 0 || row >= static_cast<int>(data_.list.rows.size())) return false;
    id = data_.list.rows[static_cast<size_t>(row)].id;
    position = window_.app_.actionIndex.FindId(id);
    return position >= 0;
}

void CMapView::RepaintPlot() {
    window_.update(PlotArea());
}

void CMapView::Paint(QPainter& painter) {
    QRect area = PlotArea();
    const int t = area.top(), h = area.height(), w = area.width();
    const int strip = ScaleByDpi(14);
    painter.fillRect(area, Qt::white);
    painter.setFont(window_.smallFont_);
    painter.fillRect(QRect(w - strip, t, strip, h), QColor(128, 128, 255));
    DrawLabel(painter, w - strip, t + 1, QStringLiteral("+"), QColor(255, 128, 128));
    DrawLabel(painter, ZoomOutRect(), QStringLiteral("--"), QColor(255, 128, 128));
    auto cross = [&](QColor colour) {
        painter.setPen(colour);
        painter.drawLine(0, t + h / 2, w, t + h / 2);
        painter.drawLine(w / 2, t, w / 2, t + h);
    };
    cross(QColor(160, 160, 224));
    if (data_.list.rows.empty()) return;

    painter.save();
    painter.setClipRect(area);
    MapScaleBar bar = ComputeScaleBar(plot_.lat0, plot_.scale, ScaleByDpi(100));
    const int g = bar.gridStep;
    plot_.gridStep = g;
    painter.setPen(QColor(160, 160, 160));
    for (int k = -(plot_.ox / g); k <= (w - plot_.ox) / g; ++k)
        painter.drawLine(plot_.ox + k * g, t, plot_.ox + k * g, t + h);
    for (int k = -(plot_.oy / g); k <= (h - plot_.oy) / g; ++k)
        painter.drawLine(0, t + plot_.oy + k * g, w, t + plot_.oy + k * g);
    cross(QColor(0, 0, 255));

    // Markers from last to first, so that the first lies on top.
    for (size_t i = data_.positions.size(); i-- > 0;) {
        if (!data_.positions[i].hasPosition) continue;
        MapPoint a = MarkerAnchor(plot_, data_.positions[i], t);
        if (a.x < -40 || a.x > w + 40 || a.y < t - 40 || a.y > t + h + 40) continue;
        DrawLabel(painter, a.x - 5, a.y - 5, QString::asprintf("%02d", static_cast<int>(i) + 1), QColor(100, 100, 224));
    }
    painter.restore();

    const QColor green(96, 192, 96);
    QString scaleText = Q(ScaleBarLabel(bar.metres));
    DrawLabel(painter, ScaleLabelRect(scaleText), scaleText, green);
    double latitude = plot_.lat0 - static_cast<double>(h / 2 - plot_.oy) / plot_.scale;
    double longitude = plot_.lon0 + static_cast<double>(w / 2 - plot_.ox) / plot_.scale;
    DrawLabel(painter, 0, t + h / 2 - ScaleByDpi(5), Q(CentreDegreesText(latitude)), green);
    DrawLabel(painter, w / 2 - ScaleByDpi(30), t + h - ScaleByDpi(12), Q(CentreDegreesText(longitude)), green);
}
