# A native Linux build gets the hardening Debian builds its packages with, as
# dpkg-buildflags gives it: fortified libc calls, stack protector, relro and
# bind-now. The optimisation and debug information stay the build type's.
# (The browser build is no native program: WebAssembly has none of these.)
if(WIN32 OR EMSCRIPTEN OR MORVELUX_SANITIZE OR MORVELUX_FUZZ)
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: the native build is not hardened (run scripts/deps)")
  return()
endif()

function(morvelux_dpkg_buildflags kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          "DEB_${kind}_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE flags
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

morvelux_dpkg_buildflags(CPPFLAGS cppflags)
morvelux_dpkg_buildflags(CFLAGS cflags)
morvelux_dpkg_buildflags(CXXFLAGS cxxflags)
morvelux_dpkg_buildflags(LDFLAGS ldflags)
string(APPEND CMAKE_C_FLAGS " ${cppflags} ${cflags}")
string(APPEND CMAKE_CXX_FLAGS " ${cppflags} ${cxxflags}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${ldflags}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${ldflags}")
