// One-shot position requests over gpsd: a worker thread watches the daemon and posts a
// command to the requesting window when the first fresh 2D/3D fix arrives.
#pragma once

#include "core/MessageBox.h"
#include "core/ResultCodes.h"

#include <atomic>
#include <string>

// The program-wide listener. The worker writes the fields; the window reads latitude and
// longitude after the completion command arrives (the command is posted after writing).
struct PositionListener {
    WindowHandle window = nullptr;
    unsigned command = 0;
    std::atomic<int> armed{0};
    unsigned satellites = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    float speed = 0.0f;
    float heading = 0.0f;
    std::atomic<int>* busy = nullptr;
    char16_t deviceName[64] = {};

    void OnPosition(unsigned sats, double lat, double lon, float spd, float head);
    void OnDeviceState(const char* name);
};

inline constexpr int kPositionCommand = 33103;
inline constexpr int kPositionNoListener = -103;
inline constexpr int kPositionNoConnection = -104;
inline constexpr int kPositionStartFailed = -105;

// 0 when a request was started or one is already pending; a negative code when the
// source could not be started (the pending flag is then clear again).
int RequestPosition(WindowHandle window, unsigned command);

// Tells the user that no position can be had (the position source did not start), for
// every window that asks for one.
void ShowPositionUnavailable(WindowHandle owner);
// Stops the worker and closes the daemon connection; E_INVALIDARG when none is open.
HRESULT StopPositionSource();
// Frees the listener at program exit (after StopPositionSource).
void ReleasePositionSource();

PositionListener* CurrentPositionListener();
bool PositionRequestPending();

// Where the daemon listens; gpsd's own default is localhost:2947.
void SetPositionDaemon(const std::string& host, const std::string& port);
