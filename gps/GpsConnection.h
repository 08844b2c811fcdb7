// The connection to gpsd and the worker thread that reads it.
#pragma once

#include "core/ResultCodes.h"

#include <string>
#include <thread>

struct PositionListener;

class GpsConnection {
public:
    GpsConnection() = default;
    GpsConnection(const GpsConnection&) = delete;
    GpsConnection& operator=(const GpsConnection&) = delete;
    ~GpsConnection();

    // Opens the daemon connection, enables watching and starts the worker.
    HRESULT Start(PositionListener* listener, const std::string& host, const std::string& port);
    // Wakes the worker through the stop descriptor, joins it and closes the connection.
    HRESULT Stop();
    bool IsOpen() const { return open_; }

private:
    void Run(PositionListener* listener);

    std::thread worker_;
    int stopFd_ = -1;
    void* data_ = nullptr; // struct gps_data_t*, kept out of this header
    bool open_ = false;
};

HRESULT HResultFromErrno(int error);
