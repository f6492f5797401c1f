# The main window and the nyarumi program. Included at the end of the shell folder's
# CMakeLists.txt, after the window layer and the backends exist.
add_library(nyarumi_mainform STATIC ${CMAKE_CURRENT_LIST_DIR}/formMain.cpp)
target_link_libraries(nyarumi_mainform PUBLIC nyarumi_window)

if(TARGET nyarumi_platform_x11 AND TARGET nyarumi_about)
  add_executable(nyarumi ${CMAKE_CURRENT_LIST_DIR}/platform/x11_main.cpp)
  target_link_libraries(nyarumi PRIVATE nyarumi_mainform nyarumi_about nyarumi_platform_x11
                        nyarumi_resources nyarumi_options)
elseif(TARGET nyarumi_platform_qt AND TARGET nyarumi_about)
  add_executable(nyarumi ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  # The resources register themselves at start-up: their objects go straight into the program.
  target_link_libraries(nyarumi PRIVATE nyarumi_mainform nyarumi_about nyarumi_platform_qt nyarumi_resources
                        nyarumi_options)
endif()
