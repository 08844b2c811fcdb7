// The map view (view 5): the positions of ShownDate's actions as numbered markers on a
// plain coordinate grid above the shared report list of the same actions. Reading and
// the plot's arithmetic are in MapViewData; the fill and the painting in MapView.cpp;
// the pointer, menu 131, "移動" and the web map in MapViewInput.cpp.
#pragma once

#include "views/MapViewData.h"

#include <QRect>
#include <QString>

#include <optional>
#include <utility>

class CMainWnd;
class QMenu;
class QMouseEvent;
class QPainter;

class CMapView {
public:
    explicit CMapView(CMainWnd& window);

    // SetDataMapViewForLV: reads the day, fills the list and sets the date label.
    void Fill();
    void Paint(QPainter& painter);
    // The plot area in window coordinates (the zoom strip is its rightmost 14 pixels).
    QRect PlotArea() const;
    // The zoom strip's "--" box and the scale bar's label box (the label's text given).
    QRect ZoomOutRect() const;
    QRect ScaleLabelRect(const QString& text) const;

    // The pointer on the window; Press returns false for a point outside the plot.
    bool Press(QPoint at);
    void Move(QPoint at);
    void Release(QPoint at);
    // A tap-and-hold at the point: menu 131 with the marker under it.
    void Hold(QPoint at);

    // "移動": centres the plot on the first selected row's position.
    void MoveToSelected();
    // "地図表示" of the 編集 menu, for the day, month, list and map views.
    void OnEditDispMap();

    // Stores the list's column widths for the orientation (on leaving the view).
    void SaveColumnWidths();
    bool ActionOfRow(int row, std::u16string& id, long long& position) const;
    // The position of the first selected list row, when it has one: where a new action
    // opened from the map view without a hold is.
    std::optional<std::pair<double, double>> SelectedRowPosition() const;
    const MapViewData& data() const { return data_; }
    MapPlot& plot() { return plot_; }
    QMenu* menu() const { return menu_; }

private:
    void FillList();
    void ApplyColumnWidths();
    void CreateMenu();
    void OnMenu(int command);
    // The held marker's position, or the coordinates under the held point.
    std::pair<double, double> HeldPosition() const;
    // The web map at the held marker, or at the held point when no marker was hit.
    void OpenWebMapAtHold();
    void PlaceOriginOnce();
    void RepaintPlot();

    CMainWnd& window_;
    MapPlot plot_;
    MapViewData data_;
    QMenu* menu_ = nullptr; // 131
};
