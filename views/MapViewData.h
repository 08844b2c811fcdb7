// The map view's data and arithmetic without Qt: the plot state, the day's rows with
// their positions, the scale bar's step, markers and hit testing, and the pan and
// zoom steps of the pointer.
#pragma once

#include "app/MainApp.h"
#include "core/MessageBox.h"
#include "views/DayViewData.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ActionIndex;
class UserDataTable;

inline constexpr int kMapMinScale = 10;
inline constexpr int kMapMaxScale = 8589934;

namespace MapDrag {
enum : int { None = 0, TapPending = 1, Pan = 2, Zoom = 3 };
}

// The plot state, kept by the window while the program runs.
struct MapPlot {
    double lat0 = 36.5626;     // latitude at the origin pixel
    double lon0 = 136.362305;  // longitude at the origin pixel
    int referenceSet = 0;      // 0 until a fill had positions
    int ox = 0, oy = 0;        // origin inside the plot area
    bool originPlaced = false; // Ox, Oy start at the plot's centre once its size is known
    int scale = 100;           // pixels per degree, both axes
    int gridStep = 0;          // the last painted grid spacing
    int dragMode = MapDrag::None;
    int tapX = 0, tapY = 0, prevX = 0, prevY = 0;
    int selectedMarker = -1;
};

struct MapPosition {
    int hasPosition = 0;
    double latitude = 0;
    double longitude = 0;
};

struct MapViewData {
    DayViewData list;                   // the rows, as the multi-day day view has them
    std::vector<MapPosition> positions; // one per row
};

// A latitude or longitude text as a decimal number; nullopt when empty or when
// anything is left over.
std::optional<double> ParseCoordinate(std::u16string_view text);

// The day's actions (multi-day query, narrowed by the search condition when given)
// with their positions; sets the reference to the mean position when it was not set
// and some row has one. 0, or -1 after an "ERROR" message.
int LoadMapView(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                std::u16string_view searchCondition, MapPlot& plot, MapViewData& data);

// The scale bar: the step in metres and the grid spacing in pixels for the reference
// latitude, the scale and the screen's 100 pixels (ScaleByDpi(100)).
struct MapScaleBar {
    long long metres = 1;
    int gridStep = 1;
};
double EarthRadiusAt(double latitudeDegrees);
MapScaleBar ComputeScaleBar(double lat0, int scale, int hundredPixels);
// "%dMm", "%dkm" or "%dm".
std::u16string ScaleBarLabel(long long metres);

// The marker's anchor relative to the plot's top left (top is the plot's top T).
struct MapPoint {
    int x = 0, y = 0;
};
MapPoint MarkerAnchor(const MapPlot& plot, const MapPosition& position, int top);
// The first positioned record whose anchor is within 5 pixels of (x, y); -1 if none.
int HitMarker(const MapPlot& plot, const std::vector<MapPosition>& positions, int top, int x, int y);

// The distance a press must move to become a drag: (dpi + 12) × 4 / 96.
int DragThreshold(int dpi);
// One zoom move by dy pixels with the divisor d; the scale stays within its limits.
void ZoomStep(MapPlot& plot, int dy, int divisor, int width, int height);
// Folds a finished pan (origin moved by the last dx, dy) into the reference so that
// the origin is back within one grid step of the plot's centre.
void FoldPan(MapPlot& plot, int dx, int dy, int width, int height);
// The coordinates under a point of the plot (relative to the plot's top left).
void PlotPointCoordinates(const MapPlot& plot, int x, int y, double& latitude, double& longitude);
// The centre's coordinates as "%d/%02d/%02d".
std::u16string CentreDegreesText(double value);
