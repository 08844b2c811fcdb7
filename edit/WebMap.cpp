// The web map opener: QDesktopServices by default, replaceable by tests.
#include "edit/WebMap.h"

#include "core/MessageBox.h"
#include "core/QtPlatform.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

WebMapOpener& Opener() {
    static WebMapOpener opener;
    return opener;
}

bool OpenWithDesktop(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

} // namespace

void SetWebMapOpener(WebMapOpener opener) {
    Opener() = std::move(opener);
}

int OpenWebMap(QWidget* owner, double latitude, double longitude) {
    std::string url = MakeWebMapUrl(latitude, longitude);
    bool opened = Opener() ? Opener()(url) : OpenWithDesktop(url);
    if (opened) return 0;
    ShowMessage(HandleOf(owner), u"地図を表示できませんでした。ブラウザーを起動できるか確認してください。",
                u"地図表示エラー", MB_OK | MB_ICONERROR);
    return -1;
}
