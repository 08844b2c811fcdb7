// The address of the web map that shows one position: a mobile map service's local
// search page centred on the coordinates. Used by the edit dialog, the map view and the
// recorder; the host is kept here and nowhere else.
#pragma once

#include <string>

// The map service every web map opens on (scheme and host, no trailing "/").
inline constexpr char kWebMapHost[] = "https://maps.google.com";

// kWebMapHost + "/m/local?hl=ja&ie=UTF8&ll=" + latitude + "," + longitude + "&z=14", the
// numbers as "%f" (six decimals, "." as the point) whatever the locale.
std::string MakeWebMapUrl(double latitude, double longitude);
