cmake_minimum_required(VERSION 3.25)
# cmake -DSOURCES=<files> -DWIDGETS_DIR=<QtWidgets include folder> -P nowidgets.cmake
# Fails when one of the files includes a widget header: a header of Qt Widgets or of src/ui.
file(GLOB widget_headers RELATIVE ${WIDGETS_DIR} ${WIDGETS_DIR}/*)
foreach(source IN LISTS SOURCES)
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
    string(REGEX REPLACE "^QtWidgets/" "" bare "${header}")
    if(header MATCHES "^(ui/|QtWidgets)" OR bare IN_LIST widget_headers)
      message(FATAL_ERROR "${source} belongs to a core folder and includes the widget header ${header}")
    endif()
  endforeach()
endforeach()
