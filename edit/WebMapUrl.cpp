// Building the web map address. The numbers go through std::to_chars, which never
// consults the locale, so a desktop with a decimal comma still gets "35.500000".
#include "edit/WebMapUrl.h"

#include <charconv>

namespace {

// "%f" of value: fixed notation, six decimals.
void AppendFixed(std::string& out, double value) {
    char buffer[400]; // the largest double has 309 integer digits
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (error == std::errc()) out.append(buffer, end);
}

} // namespace

std::string MakeWebMapUrl(double latitude, double longitude) {
    std::string url = kWebMapHost;
    url += "/m/local?hl=ja&ie=UTF8&ll=";
    AppendFixed(url, latitude);
    url += ',';
    AppendFixed(url, longitude);
    url += "&z=14";
    return url;
}
