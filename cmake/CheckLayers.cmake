# Checks that every source file includes only headers of its own layer and
# of the layers below it, and that no reader names the output format (run
# as a build step: a file that reaches up, a reader that includes another
# reader or the writers' mark-up, or one that branches on the output
# format, stops the build).
#
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake

# Which layers each layer may include, besides itself.
set(ALLOWED_core "")
set(ALLOWED_compress "core")
set(ALLOWED_crypto "core")
set(ALLOWED_xml "core")
set(ALLOWED_zip "core;compress;crypto")
set(ALLOWED_storage "core;crypto")
set(ALLOWED_vba "core;storage")
set(ALLOWED_document "core")
set(ALLOWED_pdf "core;compress;crypto;document")
set(ALLOWED_writers "core;document")
set(ALLOWED_readers/common "core;document;compress;xml;zip;storage")
set(ALLOWED_reader "core;document;compress;crypto;xml;zip;storage;vba;pdf;readers/common")
set(ALLOWED_frontend "core;document;compress;crypto;xml;zip;storage;vba;pdf;readers;writers")

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(violations "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" layer "${source}")
  if(layer STREQUAL "readers")
    string(REGEX MATCH "^readers/[^/]+" own "${source}")
    if(own STREQUAL "readers/common")
      set(allowed "${ALLOWED_readers/common}")
    else()
      set(allowed "${ALLOWED_reader}")
    endif()
  else()
    set(own "${layer}")
    set(allowed "${ALLOWED_${layer}}")
  endif()
  # Readers read: the output format is the writers' business, so a reader
  # that names it (to branch on it) is refused like one that reaches up.
  if(layer STREQUAL "readers")
    file(STRINGS "${SOURCE_DIR}/${source}" formats REGEX "OutputFormat|TextFormating")
    if(formats)
      list(APPEND violations "${source} names the output format (readers never format)")
    endif()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
    set(ok FALSE)
    foreach(prefix IN LISTS own allowed)
      string(LENGTH "${prefix}/" length)
      string(SUBSTRING "${header}" 0 ${length} start)
      if(start STREQUAL "${prefix}/")
        set(ok TRUE)
      endif()
    endforeach()
    if(NOT ok)
      list(APPEND violations "${source} includes ${header}")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layering violated (a layer may include only itself and the layers below it):\n  ${text}")
endif()
