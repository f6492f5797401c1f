# The About window and the hyperlink label.
add_library(nyarumi_about STATIC ${CMAKE_CURRENT_LIST_DIR}/ABOUT.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/HTLabel.cpp)
target_link_libraries(nyarumi_about PUBLIC nyarumi_window)
