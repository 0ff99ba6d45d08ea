# Symbols for the crash dumps of shipped Windows binaries built with MinGW-w64.
# A binary is linked with lld, which writes a PDB of its public symbols and a
# CodeView record naming that PDB by its GUID: what WinDbg and Visual Studio
# read. Its DWARF (function names, files and lines, inlined calls) then moves
# into a file of its own beside it, found through the binary's .gnu_debuglink
# record and its checksum: what gdb and lldb read. The binary itself ships
# stripped.
#   add_release_symbols(TARGET)
# Both files sit beside the binary: NAME.pdb and FILE_NAME.debug.
function(add_release_symbols target)
  if(MSVC OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  find_program(LLD_EXECUTABLE ld.lld REQUIRED)
  target_link_options(${target} PRIVATE -fuse-ld=lld LINKER:--pdb=$<TARGET_FILE_BASE_NAME:${target}>.pdb)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
