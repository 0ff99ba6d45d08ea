# The MinGW cross tree links scanlet.dll against the static OpenCV that
# scripts/build-windows-deps builds into a cache outside the checkout. The
# script names the folder for the versions and options it pins; a folder given
# as SCANLET_WINDOWS_DEPS is used instead.
option(SCANLET_WINDOWS_DLL "Cross-build scanlet.dll (needs scripts/build-windows-deps)" ON)
if(NOT SCANLET_WINDOWS_DLL)
  return()
endif()

if(NOT SCANLET_WINDOWS_DEPS)
  execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build-windows-deps --print-prefix
    OUTPUT_VARIABLE SCANLET_WINDOWS_DEPS OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endif()

# A cross-built OpenCV keeps its package files where it would on Linux.
set(OpenCV_DIR ${SCANLET_WINDOWS_DEPS}/lib/cmake/opencv4)
find_package(OpenCV 4.6 QUIET COMPONENTS ${opencv_components} NO_CMAKE_FIND_ROOT_PATH)
if(NOT OpenCV_FOUND)
  message(FATAL_ERROR "No cross-built OpenCV in ${SCANLET_WINDOWS_DEPS}.\n"
    "Run scripts/build-windows-deps first (it builds once and caches the result), "
    "or configure with -DSCANLET_WINDOWS_DLL=OFF to build the launcher alone.")
endif()
message(STATUS "Cross-built OpenCV ${OpenCV_VERSION}: ${SCANLET_WINDOWS_DEPS}")

# The benchmarks' Google Benchmark, cross-built by the same script into a
# folder of its own; a folder given as SCANLET_WINDOWS_BENCHMARK is used instead.
if(NOT SCANLET_WINDOWS_BENCHMARK)
  execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build-windows-deps --print-benchmark-prefix
    OUTPUT_VARIABLE SCANLET_WINDOWS_BENCHMARK OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endif()
set(benchmark_DIR ${SCANLET_WINDOWS_BENCHMARK}/lib/cmake/benchmark)
find_package(benchmark QUIET NO_CMAKE_FIND_ROOT_PATH)
if(NOT benchmark_FOUND)
  message(FATAL_ERROR "No cross-built Google Benchmark in ${SCANLET_WINDOWS_BENCHMARK}.\n"
    "Run scripts/build-windows-deps first (it builds once and caches the result).")
endif()
message(STATUS "Cross-built Google Benchmark ${benchmark_VERSION}: ${SCANLET_WINDOWS_BENCHMARK}")
