# Runs at install time: puts the Python package scrivlet where Debian's
# python3 finds it under the prefix: PREFIX/lib/python3/dist-packages for
# /usr (the distribution's place), PREFIX/lib/python3.X/dist-packages for
# any other prefix (/usr/local's, on the interpreter's path).
#
# Expects SCRIVLET_PYTHON_PACKAGE (the built package's folder) and
# SCRIVLET_PYTHON_VERSION ("3.11").
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(packages "lib/python3/dist-packages")
else()
  set(packages "lib/python${SCRIVLET_PYTHON_VERSION}/dist-packages")
endif()
file(INSTALL "${SCRIVLET_PYTHON_PACKAGE}"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${packages}"
     PATTERN "__pycache__" EXCLUDE)
