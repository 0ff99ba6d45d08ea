# Debian's clang and lld-link as a Visual C++-style (MSVC ABI) toolchain for
# 64-bit Windows. There is no Windows SDK or Visual C++ runtime here: programs
# link no default libraries, bring their own entry point and name the import
# libraries they need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_C_FLAGS_INIT "-ffreestanding")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostdlib -Xlinker /nodefaultlib")
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries every program links: none without a Windows SDK")
# CMake's check links a program against the C runtime, which is not here.
set(CMAKE_C_COMPILER_WORKS ON)
