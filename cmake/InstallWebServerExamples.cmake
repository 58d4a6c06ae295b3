# Runs at install time: writes the web server configurations of doc/web/
# with the installed CGI program's path into
# PREFIX/share/doc/scrivlet/examples/ (lighttpd, nginx with a systemd
# socket unit or spawn-fcgi, Apache mod_fcgid).
#
# Expects SCRIVLET_WEB_EXAMPLES, the folder of the templates.
set(SCRIVLET_CGI_DIR "${CMAKE_INSTALL_PREFIX}/lib/cgi-bin")
set(SCRIVLET_CGI "${SCRIVLET_CGI_DIR}/scrivlet.cgi")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/doc/scrivlet/examples")
file(GLOB templates "${SCRIVLET_WEB_EXAMPLES}/*.in")
foreach(template IN LISTS templates)
  get_filename_component(name "${template}" NAME)
  string(REGEX REPLACE "\\.in$" "" name "${name}")
  message(STATUS "Installing: ${target}/${name}")
  configure_file("${template}" "${target}/${name}" @ONLY)
endforeach()
