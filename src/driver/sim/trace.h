// The call trace: one JSON object per line, to memory and/or to a file.
#ifndef TAVR_DRIVER_SIM_TRACE_H
#define TAVR_DRIVER_SIM_TRACE_H

#include <cstdio>
#include <string>
#include <vector>

#include "driver/sim/call.h"

namespace korda_sim {

class Trace {
public:
    Trace() = default;
    Trace(const Trace &) = delete;
    Trace &operator=(const Trace &) = delete;
    ~Trace() { closeFile(); }

    void setCapture(bool on) { capture_ = on; }
    // Whether records go anywhere: to memory or to a file.
    bool active() const { return capture_ || file_; }
    const std::vector<std::string> &captured() const { return lines_; }
    void clearCaptured() { lines_.clear(); }

    // Appends to the file from now on (empty path: no file). Returns the reason
    // on failure, and then writes no file.
    std::string setFile(const std::string &path);

    // Writes the record as one line; a file line is flushed at once.
    void write(const Json &record);

    void reset();

private:
    void closeFile();

    bool capture_ = false;
    std::vector<std::string> lines_;
    std::FILE *file_ = nullptr;
    std::string path_;
    bool writeFailed_ = false;
};

} // namespace korda_sim

#endif
