# The system libraries that the Windows programs load on their first use of
# them (delay-import libraries, tools/make_delay_import_lib.py) rather than at
# start. At start the loader looks for a library, and for the libraries it
# imports, beside the program first, before any of our code runs; once main
# has restricted the search to the system directory (didur/LibraryLoading),
# a library planted beside the installer, or beside the uninstaller's copy in
# the temporary folder, is never loaded. Only kernel32 and the C runtime,
# which every system loads from the system directory, stay imported at start.
set(VELANTRIX_DELAY_LOADED
  advapi32:ADVAPI32.dll comctl32:COMCTL32.dll gdi32:GDI32.dll ole32:ole32.dll shell32:SHELL32.dll user32:USER32.dll)

add_library(delay_loaded_system_libraries INTERFACE)
# dlltool runs where the libraries go: the names of their symbols come from
# the output's path, and no build path may reach a file.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayload)
set(delay_libs)
foreach(entry ${VELANTRIX_DELAY_LOADED})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 name)
  list(GET parts 1 dll)
  set(output ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
  add_custom_command(
    OUTPUT ${output}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_delay_import_lib.py
            ${MINGW_TRIPLET} /usr/${MINGW_TRIPLET}/lib/lib${name}.a ${dll} lib${name}_delay.a
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/delayload
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_delay_import_lib.py
    COMMENT "Delay-import library of ${dll}"
    VERBATIM)
  list(APPEND delay_libs ${output})
endforeach()
add_custom_target(delay_import_libraries DEPENDS ${delay_libs})
add_dependencies(delay_loaded_system_libraries delay_import_libraries)
target_link_libraries(delay_loaded_system_libraries INTERFACE ${delay_libs})
# Calls go to each function's delay-load thunk, not through its import slot:
# the headers declare the functions imported unless they are told they build
# the library itself. (The 32-bit GNU linker keeps a thunk only when something
# calls it; a slot used directly would stay empty.)
target_compile_definitions(delay_loaded_system_libraries INTERFACE
  _ADVAPI32_ _COMCTL32_ _GDI32_ _OLE32_ _SHELL32_ _USER32_)
