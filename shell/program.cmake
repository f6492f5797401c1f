# The main window and the nyarumi program. Included at the end of the shell folder's
# CMakeLists.txt, after the window layer and the backends exist.
add_library(nyarumi_mainform STATIC ${CMAKE_CURRENT_LIST_DIR}/formMain.cpp)
target_link_libraries(nyarumi_mainform PUBLIC nyarumi_window)

# The start-up sequence, the same for every backend.
add_library(nyarumi_program STATIC ${CMAKE_CURRENT_LIST_DIR}/Program.cpp)
target_link_libraries(nyarumi_program PUBLIC nyarumi_mainform nyarumi_about)

# The backend's own entry file goes straight into the program.
add_executable(nyarumi ${NYARUMI_BACKEND_MAIN})
# The resources register themselves at start-up: their objects go straight into the program.
target_link_libraries(nyarumi PRIVATE nyarumi_program ${NYARUMI_BACKEND_LIB} nyarumi_resources
                      nyarumi_options)
if(NYARUMI_BACKEND STREQUAL "win32")
  # A window program with a wide entry point (no console, no narrow command line), and its
  # icon, version and manifest.
  set_target_properties(nyarumi PROPERTIES WIN32_EXECUTABLE ON)
  target_link_options(nyarumi PRIVATE -municode)
  target_sources(nyarumi PRIVATE ${NYARUMI_WIN32_RESOURCES})
elseif(NYARUMI_BACKEND STREQUAL "x11" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
       AND NOT NYARUMI_SANITIZE)
  # She runs all day: only the parts of the C++ runtime she uses are loaded, not all of it
  # (about 0.8 MB less resident memory than the shared library).
  target_link_options(nyarumi PRIVATE -static-libstdc++ -static-libgcc)
  # The functions a tick runs sit side by side (scripts/tick-functions lists them): after each
  # sleep every code page a tick touches is a miss. Each function gets a section of its own,
  # which the linker script places.
  target_compile_options(nyarumi_options INTERFACE -ffunction-sections)
  set(nyarumi_tick_script ${CMAKE_CURRENT_LIST_DIR}/tick-functions.ld)
  target_link_options(nyarumi PRIVATE -ffunction-sections -Wl,-T,${nyarumi_tick_script})
  set_property(TARGET nyarumi APPEND PROPERTY LINK_DEPENDS ${nyarumi_tick_script})
endif()
