// The web map: the exact address in every locale, the opener hook, a failed opening.
#include "edit/WebMap.h"

#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(WebMap, AddressInEveryLocale) {
    struct Case {
        double lat, lon;
        const char* url;
    } cases[] = {
        {35.681236, 139.767125, "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=35.681236,139.767125&z=14"},
        {-33.8688, 151.2093, "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=-33.868800,151.209300&z=14"},
        {0.0, -0.5, "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=0.000000,-0.500000&z=14"},
    };
    // A locale with a decimal comma must not change the numbers.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    for (const char* locale : {"C", "de_DE.utf8"}) {
        if (!std::setlocale(LC_NUMERIC, locale)) continue;
        for (const Case& c : cases)
            EXPECT_EQ(MakeWebMapUrl(c.lat, c.lon), c.url) << locale;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(WebMap, OpensThroughTheHookAndReportsAFailure) {
    ScriptedMessages messages;
    std::vector<std::string> opened;
    SetWebMapOpener([&](const std::string& url) {
        opened.push_back(url);
        return opened.size() == 1;
    });
    EXPECT_EQ(OpenWebMap(nullptr, 35.5, 139.25), 0);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(OpenWebMap(nullptr, 1, 2), -1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "https://maps.google.com/m/local?hl=ja&ie=UTF8&ll=35.500000,139.250000&z=14");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"地図表示エラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONERROR);
    SetWebMapOpener({});
}
