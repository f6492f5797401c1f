# The native Linux backend: Xlib with the Shape extension, Xft and fontconfig for text.
# Included by the platform folder's CMakeLists.txt when NYARUMI_X11 is on.
find_package(PkgConfig REQUIRED)
pkg_check_modules(NYARUMI_X11_LIBS REQUIRED IMPORTED_TARGET x11 x11-xcb xcb xext xft fontconfig)
# The desktop-file helpers still ask the desktop's tools through QtCore's process class.
find_package(Qt6 REQUIRED COMPONENTS Core)

add_library(nyarumi_platform_x11 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt_desktop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_xcb.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_errorbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_fonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_style.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_timers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_window.cpp)
target_link_libraries(nyarumi_platform_x11 PUBLIC nyarumi_platform PkgConfig::NYARUMI_X11_LIBS
                      Qt6::Core)
