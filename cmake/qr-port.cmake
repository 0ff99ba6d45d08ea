# The QR reader built into the scanner on every platform: ZXing's QR reader as
# ported inside opencv_contrib's wechat_qrcode module, prepared (extracted and
# patched) by scripts/prepare-qr-port into a cache outside the checkout. A
# folder given as SCANLET_QR_PORT is used instead. Built here as a static
# library, so each tree compiles it with its own compiler and flags
# (sanitizers included); it needs only OpenCV's core and imgproc.
set(qr_port_script ${PROJECT_SOURCE_DIR}/scripts/prepare-qr-port)
file(GLOB qr_port_patches ${PROJECT_SOURCE_DIR}/third_party/zxing-port/patches/*)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qr_port_script} ${qr_port_patches})
if(SCANLET_QR_PORT)
  set(qr_port_dir ${SCANLET_QR_PORT})
else()
  execute_process(COMMAND bash ${qr_port_script}
    OUTPUT_VARIABLE qr_port_output OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "^.*\n" "" qr_port_dir "${qr_port_output}")
endif()
if(NOT EXISTS ${qr_port_dir}/src/zxing/qrcode/qrcode_reader.hpp)
  message(FATAL_ERROR "No prepared QR reader in '${qr_port_dir}': run scripts/prepare-qr-port")
endif()
message(STATUS "QR reader (opencv_contrib's ZXing port): ${qr_port_dir}")

file(GLOB_RECURSE qr_port_sources ${qr_port_dir}/src/zxing/*.cpp)
add_library(scanlet_qr_port STATIC ${qr_port_sources} ${qr_port_dir}/src/imgsource.cpp)
# A system include folder: its headers' warnings are not the project's.
target_include_directories(scanlet_qr_port SYSTEM PUBLIC ${qr_port_dir}/src)
# Text stays in the bytes the code holds: the library converts it.
target_compile_definitions(scanlet_qr_port PUBLIC NO_ICONV=1)
target_link_libraries(scanlet_qr_port PUBLIC opencv_core opencv_imgproc)
set_target_properties(scanlet_qr_port PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(scanlet_qr_port PRIVATE -w)
endif()
# A degenerate image (a module size of zero) makes the port convert infinite
# or undefined floats to integers, which x86-64 turns into INT_MIN rather than
# trapping. UndefinedBehaviorSanitizer's check for those conversions is off
# for the port's files, where AddressSanitizer still watches what the results
# index; the library's own files keep every check.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=[^ ]*undefined")
  target_compile_options(scanlet_qr_port PRIVATE -fno-sanitize=float-cast-overflow)
endif()
