#include "platform/window_platform.h"

namespace scanlet {

// OpenCV's Win32 windows need no connection to a server: a window that cannot
// be made is an error OpenCV reports, not the end of the process.
bool isPlatformReachable()
{
    return true;
}

}
