#include "app/display_probe.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

const int kConnectTimeoutMs = 2000;

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// A connection attempt that gives up after the timeout.
bool connects(int fd, const sockaddr *address, socklen_t length)
{
    const int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    if (::connect(fd, address, length) == 0)
        return true;
    if (errno != EINPROGRESS)
        return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, kConnectTimeoutMs) != 1)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// `abstract`: the Linux abstract namespace, where X servers listen as well.
bool unixSocketAnswers(const std::string &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool ok = connects(fd, reinterpret_cast<const sockaddr *>(&address), length);
    ::close(fd);
    return ok;
}

bool tcpAnswers(const std::string &host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo *a = found; a && !ok; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0)
            continue;
        ok = connects(fd, a->ai_addr, a->ai_addrlen);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return ok;
}

// DISPLAY is [host]:number[.screen]; no host (or "unix") is the local socket.
bool xDisplayAnswers(const std::string &display)
{
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string host = display.substr(0, colon);
    const std::string rest = display.substr(colon + 1);
    char *end = nullptr;
    const long number = std::strtol(rest.c_str(), &end, 10);
    if (end == rest.c_str() || number < 0 || number > 65535 - 6000)
        return false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        return unixSocketAnswers(path, true) || unixSocketAnswers(path, false);
    }
    return tcpAnswers(host, 6000 + static_cast<int>(number));
}

bool waylandDisplayAnswers(const std::string &display)
{
    if (!display.empty() && display.front() == '/')
        return unixSocketAnswers(display, false);
    const std::string runtime = env("XDG_RUNTIME_DIR");
    return !runtime.empty() && unixSocketAnswers(runtime + "/" + display, false);
}

std::vector<std::string> platforms()
{
    // Unset: this build of the toolkit takes X, or Wayland where it is the session.
    const std::string list = env("QT_QPA_PLATFORM");
    if (list.empty())
        return {"xcb", "wayland"};
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t stop = list.find(';', start);
        if (stop == std::string::npos)
            stop = list.size();
        const std::string entry = list.substr(start, stop - start);
        names.push_back(entry.substr(0, entry.find(':')));
        start = stop + 1;
    }
    return names;
}

const char kHint[] = "; to run without one, set QT_QPA_PLATFORM=offscreen";

} // namespace

std::string unreachableDisplay()
{
    const std::vector<std::string> names = platforms();
    std::string tried;
    for (const std::string &name : names) {
        if (name == "xcb") {
            const std::string display = env("DISPLAY");
            if (!display.empty() && xDisplayAnswers(display))
                return {};
            tried += tried.empty() ? "" : "; ";
            tried += display.empty() ? "DISPLAY is not set" : "X display \"" + display + "\" does not answer";
        } else if (name.rfind("wayland", 0) == 0) {
            const std::string display = env("WAYLAND_DISPLAY");
            // Wayland named explicitly falls back to its usual socket name.
            if (display.empty() && !env("QT_QPA_PLATFORM").empty() && waylandDisplayAnswers("wayland-0"))
                return {};
            if (!display.empty() && waylandDisplayAnswers(display))
                return {};
            if (!display.empty() || !env("QT_QPA_PLATFORM").empty()) {
                tried += tried.empty() ? "" : "; ";
                tried += "Wayland display \"" + (display.empty() ? std::string("wayland-0") : display) + "\" does not answer";
            }
        } else {
            return {}; // a platform that needs no display server
        }
    }
    return "tavr: no display to show the panel on: " + tried + kHint + "\n";
}
