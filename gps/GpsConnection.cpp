// Worker loop over libgps: polls the daemon socket beside an eventfd that carries the
// stop request, so stopping never waits on a timer.
#include "gps/GpsConnection.h"

#include "core/Clock.h"
#include "gps/PositionSource.h"

#include <gps.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

// A fix older than this by the program clock does not complete a request.
constexpr std::int64_t kMaximumAgeMs = 3000;

std::int64_t ProgramNowMs() {
    LocalDateTime now = LocalNow();
    std::tm tm{};
    tm.tm_year = now.year - 1900;
    tm.tm_mon = now.month - 1;
    tm.tm_mday = now.day;
    tm.tm_hour = now.hour;
    tm.tm_min = now.minute;
    tm.tm_sec = now.second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm)) * 1000 + now.millisecond;
}

bool FreshFix(const gps_data_t& data) {
    if (!(data.set & MODE_SET) || data.fix.mode < MODE_2D) return false;
    if (!std::isfinite(data.fix.latitude) || !std::isfinite(data.fix.longitude)) return false;
    if (!(data.set & TIME_SET)) return false;
    std::int64_t fixMs = static_cast<std::int64_t>(data.fix.time.tv_sec) * 1000 + data.fix.time.tv_nsec / 1000000;
    return ProgramNowMs() - fixMs <= kMaximumAgeMs;
}

const char* DeviceName(const gps_data_t& data) {
    const devconfig_t& dev = (data.set & DEVICE_SET) ? data.dev : data.devices.list[0];
    if (dev.path[0] != '\0') return dev.path;
    return dev.driver;
}

float OrZero(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

} // namespace

HRESULT HResultFromErrno(int error) {
    if (error == 0) return E_FAIL;
    return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned>(error) & 0xffffu));
}

GpsConnection::~GpsConnection() {
    if (open_) Stop();
}

HRESULT GpsConnection::Start(PositionListener* listener, const std::string& host, const std::string& port) {
    if (listener == nullptr || open_) return E_INVALIDARG;
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) return HResultFromErrno(errno);
    auto* data = new (std::nothrow) gps_data_t{};
    if (data == nullptr) {
        close(stopFd_);
        stopFd_ = -1;
        return E_OUTOFMEMORY;
    }
    if (gps_open(host.c_str(), port.c_str(), data) != 0) {
        int error = errno;
        delete data;
        close(stopFd_);
        stopFd_ = -1;
        return HResultFromErrno(error);
    }
    if (gps_stream(data, WATCH_ENABLE | WATCH_JSON, nullptr) != 0) {
        int error = errno;
        gps_close(data);
        delete data;
        close(stopFd_);
        stopFd_ = -1;
        return HResultFromErrno(error);
    }
    data_ = data;
    open_ = true;
    try {
        worker_ = std::thread([this, listener] { Run(listener); });
    } catch (...) {
        Stop();
        return E_FAIL;
    }
    return S_OK;
}

void GpsConnection::Run(PositionListener* listener) {
    auto* data = static_cast<gps_data_t*>(data_);
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {data->gps_fd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0) break;
        if (fds[1].revents == 0) continue;
        // Several reports may arrive in one read; gps_waiting drains what is buffered.
        do {
            if (gps_read(data, nullptr, 0) < 0) {
                // The daemon went away: give up the pending request so a new one can start.
                listener->armed = 0;
                if (listener->busy != nullptr) *listener->busy = 0;
                return;
            }
            if (data->set & (DEVICE_SET | DEVICELIST_SET)) listener->OnDeviceState(DeviceName(*data));
            if (FreshFix(*data)) {
                listener->OnPosition(static_cast<unsigned>(data->satellites_used < 0 ? 0 : data->satellites_used),
                                     data->fix.latitude, data->fix.longitude, OrZero(data->fix.speed),
                                     OrZero(data->fix.track));
            }
        } while (gps_waiting(data, 0));
    }
}

HRESULT GpsConnection::Stop() {
    if (!open_) return E_INVALIDARG;
    HRESULT result = S_OK;
    std::uint64_t one = 1;
    if (write(stopFd_, &one, sizeof one) != static_cast<ssize_t>(sizeof one)) result = HResultFromErrno(errno);
    if (worker_.joinable()) worker_.join();
    auto* data = static_cast<gps_data_t*>(data_);
    // Closing the socket ends the watch; writing WATCH_DISABLE to a daemon that has
    // already gone would raise SIGPIPE.
    if (gps_close(data) != 0 && SUCCEEDED(result)) result = HResultFromErrno(errno);
    delete data;
    data_ = nullptr;
    close(stopFd_);
    stopFd_ = -1;
    open_ = false;
    return result;
}
