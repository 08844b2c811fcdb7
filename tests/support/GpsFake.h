// gpsd started by gpsfake on a private loopback port, replaying an NMEA log: the real
// daemon behind the position tests.
#pragma once

#include <string>
#include <sys/types.h>

// A loopback port free at the moment of asking (0 when none could be had).
int FreeLoopbackPort();

// gpsfake in its own process group, so stopping it takes its gpsd along.
class GpsFake {
public:
    ~GpsFake() { Kill(); }

    // Empty when the daemon is up; otherwise why it could not start. log is a path.
    std::string Start(const std::string& log, const char* cycle = "0.05");
    void Kill();
    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};
