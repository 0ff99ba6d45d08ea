#include "keep_loaded.h"

#if defined(_WIN32)
#include <windows.h>

#include <iostream>
#include <mutex>
#endif

namespace scanlet {

void keepLoaded()
{
#if defined(_WIN32)
    static std::once_flag pinned;
    std::call_once(pinned, [] {
        HMODULE module = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                reinterpret_cast<LPCWSTR>(&keepLoaded), &module)) {
            std::cerr << "Error: the library could not keep itself loaded (error " << GetLastError() << ")"
                      << std::endl;
        }
    });
#endif
}

}
