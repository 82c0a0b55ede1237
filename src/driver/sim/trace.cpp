#include "driver/sim/trace.h"

#include <cerrno>
#include <cstring>

namespace korda_sim {

std::string Trace::setFile(const std::string &path)
{
    closeFile();
    if (path.empty())
        return {};
    file_ = std::fopen(path.c_str(), "a");
    if (!file_)
        return "cannot open trace file '" + path + "': " + std::strerror(errno);
    path_ = path;
    return {};
}

void Trace::write(const Json &record)
{
    if (!capture_ && !file_)
        return;
    // Texts come from callers and scenarios and may hold bytes that are not
    // UTF-8; those are replaced rather than making the dump throw.
    std::string line = record.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (file_) {
        line += '\n';
        const bool ok = std::fwrite(line.data(), 1, line.size(), file_) == line.size() && std::fflush(file_) == 0;
        if (!ok && !writeFailed_)
            std::fprintf(stderr, "korda-sim: cannot write trace file '%s': %s\n", path_.c_str(), std::strerror(errno));
        writeFailed_ = !ok;
        line.pop_back();
    }
    if (capture_)
        lines_.push_back(std::move(line));
}

void Trace::reset()
{
    closeFile();
    capture_ = false;
    lines_.clear();
}

void Trace::closeFile()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    path_.clear();
    writeFailed_ = false;
}

} // namespace korda_sim
