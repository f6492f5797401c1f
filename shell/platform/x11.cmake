# The native Linux backend: Xlib, which also carries her outline requests; fontconfig, FreeType
# and Xrender for text.
# Included by the platform folder's CMakeLists.txt when NYARUMI_BACKEND is x11.
find_package(PkgConfig REQUIRED)
pkg_check_modules(NYARUMI_X11_LIBS REQUIRED IMPORTED_TARGET x11 x11-xcb xcb)
# Only their headers: the libraries are loaded when text is first needed (x11_textlib.cpp).
pkg_check_modules(NYARUMI_TEXT REQUIRED fontconfig freetype2 xrender)

add_library(nyarumi_platform_x11 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x11_backdrop.cpp
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
  ${CMAKE_CURRENT_LIST_DIR}/x11_style.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_timers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_textlib.cpp)
target_include_directories(nyarumi_platform_x11 SYSTEM PUBLIC ${NYARUMI_TEXT_INCLUDE_DIRS})
target_link_libraries(nyarumi_platform_x11 PUBLIC nyarumi_platform nyarumi_linux
                      PkgConfig::NYARUMI_X11_LIBS ${CMAKE_DL_LIBS})
