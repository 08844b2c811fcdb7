// Reading the map view's day and the plot's arithmetic.
#include "views/MapViewData.h"

#include "core/DateTimeText.h"
#include "core/Degrees.h"
#include "core/Trace.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/UserDataTable.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

} // namespace

std::optional<double> ParseCoordinate(std::u16string_view text) {
    std::string s = ToUtf8(text);
    if (s.empty()) return std::nullopt;
    double value = 0;
    const char* first = s.data();
    // from_chars takes no leading '+'; a decimal reader does.
    if (*first == '+' && s.size() > 1 && s[1] != '-') ++first;
    auto [end, ec] = std::from_chars(first, s.data() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

int LoadMapView(WindowHandle owner, UserDataTable& table, const ActionIndex& index, const ShownDate& date,
                std::u16string_view searchCondition, MapPlot& plot, MapViewData& data) {
    data = MapViewData{};
    // The rows are the multi-day day view's, whatever the day view's mode.
    if (LoadDayViewMulti(owner, table, index, date, searchCondition, data.list, "SetDataMapViewForLV") != 0) {
        data = MapViewData{};
        return -1;
    }
    double latitudeSum = 0, longitudeSum = 0;
    int positioned = 0;
    for (const DayViewRow& row : data.list.rows) {
        MapPosition position;
        auto latitude = ParseCoordinate(row.latitude);
        auto longitude = ParseCoordinate(row.longitude);
        if (latitude && longitude) {
            position = {1, *latitude, *longitude};
            latitudeSum += *latitude;
            longitudeSum += *longitude;
            ++positioned;
        }
        data.positions.push_back(position);
    }
    if (plot.referenceSet == 0 && positioned > 0) {
        plot.lat0 = latitudeSum / positioned;
        plot.lon0 = longitudeSum / positioned;
        plot.referenceSet = 1;
    }
    return 0;
}

double EarthRadiusAt(double latitudeDegrees) {
    double phi = latitudeDegrees * kRadiansPerDegree;
    double c = std::cos(phi), s = std::sin(phi);
    return 40544237137075.65 / std::sqrt(c * c * 40408299988155.375 + s * s * 40680631590769.0);
}

MapScaleBar ComputeScaleBar(double lat0, int scale, int hundredPixels) {
    double radius = EarthRadiusAt(lat0);
    double metres = (static_cast<double>(hundredPixels) / scale) * radius * kRadiansPerDegree;
    long long p = 1;
    for (int e = static_cast<int>(std::trunc(std::log10(metres))); e > 0; --e)
        p *= 10;
    long long q = static_cast<long long>(std::trunc(metres / static_cast<double>(p)));
    // A step under a metre would be 0: no label and a grid of no spacing. One metre
    // is the finest step.
    if (q < 2 && p >= 2)
        p /= 2;
    else if (q >= 6)
        p *= 2;
    MapScaleBar bar;
    bar.metres = p;
    double g = std::trunc((static_cast<double>(p) / radius) * scale * 57.29577951308232);
    bar.gridStep = g < 1 ? 1 : g > 1e9 ? 1000000000 : static_cast<int>(g);
    return bar;
}

std::u16string ScaleBarLabel(long long metres) {
    if (metres >= 1000000) return FormatText("%dMm", static_cast<int>(metres / 1000000));
    if (metres >= 1000) return FormatText("%dkm", static_cast<int>(metres / 1000));
    return FormatText("%dm", static_cast<int>(metres));
}

MapPoint MarkerAnchor(const MapPlot& plot, const MapPosition& position, int top) {
    double dx = std::trunc((position.longitude - plot.lon0) * plot.scale);
    double dy = std::trunc((position.latitude - plot.lat0) * plot.scale);
    // Far-off markers are clamped to stay representable; they are off the plot anyway.
    auto clamp = [](double v) { return v > 1e8 ? 1e8 : v < -1e8 ? -1e8 : v; };
    return {plot.ox + static_cast<int>(clamp(dx)), top + plot.oy - static_cast<int>(clamp(dy))};
}

int HitMarker(const MapPlot& plot, const std::vector<MapPosition>& positions, int top, int x, int y) {
    for (size_t i = 0; i < positions.size(); ++i) {
        if (!positions[i].hasPosition) continue;
        MapPoint a = MarkerAnchor(plot, positions[i], top);
        if (std::abs(a.x - x) <= 5 && std::abs(a.y - y) <= 5) return static_cast<int>(i);
    }
    return -1;
}

int DragThreshold(int dpi) {
    return (dpi + 12) * 4 / 96;
}

// The origin moved away from (or towards) the centre by the zoom factor, kept within
// the int range so that repeated zooming at the limits cannot overflow.
static int ZoomedOrigin(int origin, int centre, double f) {
    double v = origin + std::trunc((static_cast<double>(origin) - centre) * f);
    return static_cast<int>(std::clamp(v, double(INT_MIN), double(INT_MAX)));
}

void ZoomStep(MapPlot& plot, int dy, int divisor, int width, int height) {
    if (divisor == 0) return;
    double f = static_cast<double>(dy) / divisor;
    double scale = std::trunc(plot.scale * (1 + f));
    if (scale < kMapMinScale) scale = kMapMinScale;
    if (scale > kMapMaxScale) scale = kMapMaxScale;
    plot.scale = static_cast<int>(scale);
    plot.ox = ZoomedOrigin(plot.ox, width / 2, f);
    plot.oy = ZoomedOrigin(plot.oy, height / 2, f);
}

void FoldPan(MapPlot& plot, int dx, int dy, int width, int height) {
    long long g = plot.gridStep > 0 ? plot.gridStep : 1;
    long long a = static_cast<long long>(plot.ox) + dx - width / 2;
    long long b = static_cast<long long>(plot.oy) + dy - height / 2;
    long long ra = a % g, rb = b % g; // the remainder keeps the dividend's sign
    plot.lon0 -= static_cast<double>(a - ra) / plot.scale;
    plot.lat0 += static_cast<double>(b - rb) / plot.scale;
    plot.ox = width / 2 + static_cast<int>(ra);
    plot.oy = height / 2 + static_cast<int>(rb);
}

void PlotPointCoordinates(const MapPlot& plot, int x, int y, double& latitude, double& longitude) {
    latitude = plot.lat0 - static_cast<double>(y - plot.oy) / plot.scale;
    longitude = plot.lon0 + static_cast<double>(x - plot.ox) / plot.scale;
}

std::u16string CentreDegreesText(double value) {
    int degrees, minutes, seconds, milliseconds;
    SplitDegrees(value, degrees, minutes, seconds, milliseconds);
    return FormatText("%d/%02d/%02d", degrees, minutes, seconds);
}
