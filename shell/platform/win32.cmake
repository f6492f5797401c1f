# The Windows backend: Win32 and GDI, nothing else. Included by the platform folder's
# CMakeLists.txt when building for Windows.
add_library(nyarumi_platform_win32 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/win32_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_cmdline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_desktop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_window.cpp)
# Windows 10 (1607) for the per-monitor DPI functions; UNICODE so every call is the wide one.
target_compile_definitions(nyarumi_platform_win32 PUBLIC _WIN32_WINNT=0x0A00 WINVER=0x0A00
                           UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(nyarumi_platform_win32 PUBLIC nyarumi_platform user32 gdi32 shell32
                      shlwapi dwmapi advapi32)

# The program's resources. NYARUMI_WIN32_ICON names her .ico (scripts/build-windows makes it
# with the art generator); without it the program has the system's default icon.
enable_language(RC)
set(NYARUMI_WIN32_ICON "" CACHE FILEPATH "The program's icon (.ico)")
if(NYARUMI_WIN32_ICON)
  set(NYARUMI_ICON_LINE "1 ICON \"${NYARUMI_WIN32_ICON}\"")
else()
  set(NYARUMI_ICON_LINE "// no icon given")
endif()
set(NYARUMI_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/win32_program.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/win32_program.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/win32_program.rc @ONLY)
set(NYARUMI_WIN32_RESOURCES ${CMAKE_CURRENT_BINARY_DIR}/win32_program.rc
    CACHE INTERNAL "The Windows program's resource script")
