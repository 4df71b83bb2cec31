# Writes the manual's PDF: the text, with the version filled in, goes next to
# the pictures drawn in the build tree, and rst2pdf sets it. Any error or
# warning of rst2pdf (a missing picture, a broken table) fails the build
# rather than leaving a manual with holes.
#
#   cmake -DRST2PDF=... -DSOURCE=x.rst -DCOVER=cover.tmpl -DSTYLE=x.yaml
#         -DFONTS=dir -DVERSION=v -DWORK=dir -DOUTPUT=file.pdf -P BuildPdf.cmake
foreach(var RST2PDF SOURCE COVER STYLE FONTS VERSION WORK OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildPdf.cmake: ${var} is not set")
  endif()
endforeach()

set(SYLVATONE_VERSION ${VERSION})
get_filename_component(name "${SOURCE}" NAME)
configure_file("${SOURCE}" "${WORK}/${name}" @ONLY)
get_filename_component(cover "${COVER}" NAME)
configure_file("${COVER}" "${WORK}/${cover}" @ONLY)

set(partial "${OUTPUT}.part")
execute_process(
  COMMAND "${RST2PDF}" --compressed --stylesheets=${STYLE} --font-path=${FONTS}
          --custom-cover=${cover}
          --output=${partial} "${WORK}/${name}"
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR err MATCHES "\\[(ERROR|WARNING)\\]" OR NOT EXISTS "${partial}")
  file(REMOVE "${partial}")
  message(FATAL_ERROR "rst2pdf failed on ${SOURCE} (exit ${result}):\n${out}${err}")
endif()
file(RENAME "${partial}" "${OUTPUT}")
