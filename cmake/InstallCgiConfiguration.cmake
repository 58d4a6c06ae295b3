# Runs at install time, after the CGI program is in place: writes its
# scrivlet.cfg unless one is there already (the site's own settings win), and
# creates the document root the file names.  The root is
# PREFIX/share/scrivlet/documents unless the environment's
# SCRIVLET_DOCUMENT_ROOT names another (`make install DOCS=...` sets it).
#
# Expects SCRIVLET_CFG_TEMPLATE, the template's path.
set(root "$ENV{SCRIVLET_DOCUMENT_ROOT}")
if(root STREQUAL "")
  set(root "${CMAKE_INSTALL_PREFIX}/share/scrivlet/documents")
endif()
get_filename_component(root "${root}" ABSOLUTE)
set(config "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/cgi-bin/scrivlet.cfg")

file(MAKE_DIRECTORY "$ENV{DESTDIR}${root}")
if(EXISTS "${config}")
  message(STATUS "Keeping: ${config}")
else()
  message(STATUS "Installing: ${config} (DocumentRoot ${root})")
  set(SCRIVLET_DOCUMENT_ROOT "${root}")
  configure_file("${SCRIVLET_CFG_TEMPLATE}" "${config}" @ONLY)
endif()
