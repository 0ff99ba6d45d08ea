#include "platform/window_platform.h"

#include <xcb/xcb.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace scanlet {
namespace {

bool isX11Reachable()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

// The compositor's socket, found as the Wayland client library finds it.
bool isWaylandReachable()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    std::string path = display != nullptr && *display != '\0' ? display : "wayland-0";
    if (path.front() != '/') {
        const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
        if (runtimeDir == nullptr || *runtimeDir == '\0') {
            return false;
        }
        path = std::string(runtimeDir) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0) {
        return false;
    }
    const bool connected = ::connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socketFd);
    return connected;
}

bool isReachable(const std::string& platform)
{
    // Arguments follow the name after a colon ("vnc:size=800x600").
    const std::string name = platform.substr(0, platform.find(':'));
    if (name == "xcb") {
        return isX11Reachable();
    }
    if (name.rfind("wayland", 0) == 0) {
        return isWaylandReachable();
    }
    // offscreen, minimal, vnc, linuxfb, eglfs: Qt's own, with no server to reach.
    return true;
}

}

bool isPlatformReachable()
{
    // Qt tries the platforms of QT_QPA_PLATFORM in turn; Qt 5 on Linux uses
    // xcb when none is named.
    const char* named = std::getenv("QT_QPA_PLATFORM");
    if (named == nullptr || *named == '\0') {
        return isX11Reachable();
    }
    std::istringstream platforms(named);
    std::string platform;
    while (std::getline(platforms, platform, ';')) {
        if (!platform.empty() && isReachable(platform)) {
            return true;
        }
    }
    return false;
}

}
