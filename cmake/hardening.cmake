# Debian's hardening flags for the package build, as dpkg-buildflags gives them with every hardening
# feature on: plain dpkg-buildflags on Debian 12 leaves out -z now, and CMake reads CXXFLAGS and
# LDFLAGS from the environment but never CPPFLAGS, which carries -D_FORTIFY_SOURCE=2. The project has
# no C sources, so CFLAGS has nothing to add.
option(TUNOXA_HARDENING "Build with Debian's hardening flags (dpkg-buildflags, hardening=+all)" OFF)

if(TUNOXA_HARDENING)
  find_program(TUNOXA_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT TUNOXA_DPKG_BUILDFLAGS)
    message(FATAL_ERROR "dpkg-buildflags was not found: TUNOXA_HARDENING needs it (run scripts/install-deps.sh)")
  endif()
  foreach(kind CXXFLAGS CPPFLAGS LDFLAGS)
    # Run in the source folder, so that -ffile-prefix-map maps the sources' paths to ".".
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${TUNOXA_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(hardening_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  add_compile_options(${hardening_CXXFLAGS} ${hardening_CPPFLAGS})
  add_link_options(${hardening_LDFLAGS})
  string(JOIN " " shown ${hardening_CXXFLAGS} ${hardening_CPPFLAGS} "; linking with" ${hardening_LDFLAGS})
  message(STATUS "Hardening: ${shown}")
endif()
