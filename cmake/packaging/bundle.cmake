# The Windows release bundle: one versioned zip of everything the Windows tree
# installs (the launcher, and the library with its header, import library and
# CMake package once the tree builds it), with the product team's README, the
# licence and the notices. `cmake --build --preset windows --target package`.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/NOTICE
              ${CMAKE_CURRENT_LIST_DIR}/README.txt
  DESTINATION . COMPONENT documentation)

set(CPACK_PACKAGE_NAME zorvane-desktop)
set(CPACK_PACKAGE_VENDOR ${product_vendor})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZorvaneRun launcher and scanlet QR scanning library for Windows")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(bundle_name ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_FILE_NAME ${bundle_name})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# Beside the zip, the symbols of the binaries it ships (cmake/release-symbols.cmake):
# each binary's PDB and its DWARF file, matched to it by the PDB's GUID and the
# DWARF file's checksum. `cmake --build --preset windows --target symbols`.
set(symbols_name ${bundle_name}-symbols)
set(symbols_zip ${PROJECT_BINARY_DIR}/${symbols_name}.zip)
set(symbol_files)
set(symbol_targets)
foreach(shipped ZorvaneRun scanlet)
  if(TARGET ${shipped} AND NOT MSVC AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND symbol_targets ${shipped})
    list(APPEND symbol_files $<TARGET_FILE_DIR:${shipped}>/$<TARGET_FILE_BASE_NAME:${shipped}>.pdb
      $<TARGET_FILE:${shipped}>.debug)
  endif()
endforeach()
if(symbol_files)
  add_custom_target(symbols
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${symbols_name} ${symbols_zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${symbols_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${symbol_files} ${symbols_name}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${symbols_zip} --format=zip ${symbols_name}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${symbols_name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    COMMENT "Packing the shipped binaries' symbols into ${symbols_name}.zip"
    VERBATIM)
  add_dependencies(symbols ${symbol_targets})
endif()

if(BUILD_TESTING)
  # Unpacks the zip into an empty folder and runs the launcher from there
  # under Wine, with the launcher tests' stand-ins.
  if(TARGET scanlet)
    set(bundle_has_library yes)
  else()
    set(bundle_has_library no)
  endif()
  find_program(SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  add_test(NAME bundle
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-display
            ${CMAKE_CURRENT_LIST_DIR}/bundle_test.sh
            --build ${PROJECT_BINARY_DIR} --work ${PROJECT_BINARY_DIR}/bundle-test
            --name ${bundle_name} --library ${bundle_has_library}
            --python ${SYSTEM_PYTHON} --run-test ${PROJECT_SOURCE_DIR}/launcher/tests/launcher_run_test.py
            --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --wine-root ${PROJECT_BINARY_DIR}/wine-scanlet
            --server $<TARGET_FILE:stand_in_server> --client $<TARGET_FILE:stand_in_client>)
  # The host opens a window: Wine binds a prefix's desktop to the display of
  # the first program that opens one, so the test shares the prefix of the
  # library's windowed tests, one test at a time, as they do.
  set_tests_properties(bundle PROPERTIES RESOURCE_LOCK scanlet_wine_desktop TIMEOUT 600)
endif()
