# Run as a build step: fails, naming the file and line, when a source of a library that links Qt
# Core alone includes a header of Qt Gui, Widgets or Svg. Such a header would compile there (the
# Qt include root is on the path) and tie the logic to a display.
#   cmake -DSTAMP=<file> -DFILES=<a|b|...> -P CheckCoreOnly.cmake
set(found "")
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Qt(Gui|Widgets|Svg)[/>\"]")
  foreach(line IN LISTS lines)
    string(APPEND found "\n  ${file}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "A library without a display includes a header of Qt Gui or Widgets:${found}")
endif()
get_filename_component(dir "${STAMP}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
file(TOUCH "${STAMP}")
