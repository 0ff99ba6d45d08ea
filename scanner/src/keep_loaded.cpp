#include "keep_loaded.h"

#if defined(_WIN32)
#include <windows.h>

#include <iostream>
#endif

namespace scanlet {

void keepLoaded()
{
#if defined(_WIN32)
    // Pinning a pinned module changes nothing, so every caller may ask.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&keepLoaded), &module)) {
        std::cerr << "Error: the library could not keep itself loaded (error " << GetLastError() << ")"
                  << std::endl;
    }
#endif
}

}
