# The Linux/X11 backend: Qt 6 Widgets plus a few xcb calls. Included by the platform folder's
# CMakeLists.txt when NYARUMI_QT is on.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(NYARUMI_XCB REQUIRED IMPORTED_TARGET xcb)

add_library(nyarumi_platform_qt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_desktop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_region.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_x11events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_xcb.cpp)
target_link_libraries(nyarumi_platform_qt PUBLIC nyarumi_platform Qt6::Widgets
                      PkgConfig::NYARUMI_XCB)
