# The main window and the nyarumi program. Included at the end of the shell folder's
# CMakeLists.txt, after the window layer and the backends exist.
add_library(nyarumi_mainform STATIC ${CMAKE_CURRENT_LIST_DIR}/formMain.cpp)
target_link_libraries(nyarumi_mainform PUBLIC nyarumi_window)

# The start-up sequence, the same for every backend.
add_library(nyarumi_program STATIC ${CMAKE_CURRENT_LIST_DIR}/Program.cpp)
target_link_libraries(nyarumi_program PUBLIC nyarumi_mainform nyarumi_about)

if(TARGET nyarumi_platform_win32)
  add_executable(nyarumi WIN32 ${CMAKE_CURRENT_LIST_DIR}/platform/win32_main.cpp
                         ${NYARUMI_WIN32_RESOURCES})
  # A window program with a wide entry point: no console, no narrow command line.
  target_link_options(nyarumi PRIVATE -municode)
  target_link_libraries(nyarumi PRIVATE nyarumi_program nyarumi_platform_win32 nyarumi_resources
                        nyarumi_options)
elseif(TARGET nyarumi_platform_qt AND TARGET nyarumi_about)
  add_executable(nyarumi ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  # The resources register themselves at start-up: their objects go straight into the program.
  target_link_libraries(nyarumi PRIVATE nyarumi_mainform nyarumi_about nyarumi_platform_qt nyarumi_resources
                        nyarumi_options)
endif()
