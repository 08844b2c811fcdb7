// The request state: one pending request at a time, the listener that keeps the last
// position, and the connection that is reopened by every new request.
#include "gps/PositionSource.h"

#include "core/CommandPoster.h"
#include "core/Trace.h"
#include "gps/GpsConnection.h"

#include <iterator>
#include <memory>
#include <new>

namespace {

std::atomic<int> requestPending{0};
std::unique_ptr<PositionListener> listener;
std::unique_ptr<GpsConnection> connection;
std::string daemonHost = "localhost";
std::string daemonPort = "2947";

} // namespace

void PositionListener::OnPosition(unsigned sats, double lat, double lon, float spd, float head) {
    satellites = sats;
    latitude = lat;
    longitude = lon;
    speed = spd;
    heading = head;
    int expected = 1;
    if (!armed.compare_exchange_strong(expected, 0)) return;
    Trace("w=%p m=%u la=%f lo=%f", window, command, latitude, longitude);
    // The flag is free before the window hears of the fix, so a request made in
    // response to the command is not mistaken for a second pending one.
    if (busy != nullptr) *busy = 0;
    PostCommand(window, static_cast<int>(command));
}

void PositionListener::OnDeviceState(const char* name) {
    std::size_t i = 0;
    for (; name != nullptr && name[i] != '\0' && i + 1 < std::size(deviceName); ++i)
        deviceName[i] = static_cast<unsigned char>(name[i]);
    deviceName[i] = u'\0';
}

int RequestPosition(WindowHandle window, unsigned command) {
    int expected = 0;
    if (!requestPending.compare_exchange_strong(expected, 1)) return 0;
    if (connection && connection->IsOpen()) StopPositionSource();
    if (!listener) {
        listener.reset(new (std::nothrow) PositionListener);
        if (!listener) {
            requestPending = 0;
            return kPositionNoListener;
        }
    }
    listener->window = window;
    listener->command = command;
    listener->satellites = 0;
    listener->latitude = 0.0;
    listener->longitude = 0.0;
    listener->speed = 0.0f;
    listener->heading = 0.0f;
    listener->busy = &requestPending;
    listener->armed = 1;
    if (!connection) {
        connection.reset(new (std::nothrow) GpsConnection);
        if (!connection) {
            listener->armed = 0;
            requestPending = 0;
            return kPositionNoConnection;
        }
    }
    if (FAILED(connection->Start(listener.get(), daemonHost, daemonPort))) {
        // Without a daemon no fix can come: leave the source free for a later request.
        listener->armed = 0;
        requestPending = 0;
        return kPositionStartFailed;
    }
    return 0;
}

HRESULT StopPositionSource() {
    if (!connection) return E_INVALIDARG;
    return connection->Stop();
}

void ReleasePositionSource() {
    if (connection && connection->IsOpen()) connection->Stop();
    connection.reset();
    listener.reset();
    requestPending = 0;
}

PositionListener* CurrentPositionListener() {
    return listener.get();
}

bool PositionRequestPending() {
    return requestPending != 0;
}

void SetPositionDaemon(const std::string& host, const std::string& port) {
    daemonHost = host;
    daemonPort = port;
}

void ShowPositionUnavailable(WindowHandle owner) {
    ShowMessage(owner, u"位置情報を取得できません。GPS受信機の接続と位置情報サービスを確認してください。",
                u"位置情報取得エラー", MB_OK | MB_ICONSTOP);
}
