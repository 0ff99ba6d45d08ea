#include "desktop.h"

#include <cstdio>
#include <memory>

namespace desktop {

std::string shell(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        output += buffer;
    }
    return output;
}

std::string findWindow(const std::string& title)
{
    std::string id = shell("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null | head -n 1");
    if (!id.empty() && id.back() == '\n') {
        id.pop_back();
    }
    return id;
}

bool screenshot(const std::string& window, const std::string& path)
{
    return shell("import -window " + window + " '" + path + "' && echo saved") == "saved\n";
}

}
