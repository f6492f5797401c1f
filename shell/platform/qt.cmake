# The Linux/X11 backend on Qt 6 Widgets. Included by the platform folder's CMakeLists.txt when
# NYARUMI_BACKEND is qt.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(nyarumi_platform_qt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_region.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_x11events.cpp)
target_link_libraries(nyarumi_platform_qt PUBLIC nyarumi_platform nyarumi_linux Qt6::Widgets)
