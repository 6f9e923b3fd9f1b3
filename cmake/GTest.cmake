# GoogleTest for the unit tests. Native builds use the installed package;
# cross builds compile its sources for the target (Debian's googletest
# package installs them under <prefix>/src/googletest).
#
# Sets MORVELUX_HAVE_GTEST. GoogleTest needs std::mutex, which the MinGW
# win32 thread model of GCC 12 lacks: a tree built with it (what ships) has
# no unit tests, the win64-unit preset builds them.
include(CheckCXXSourceCompiles)

if(NOT WIN32)
  find_package(GTest REQUIRED)
  set(MORVELUX_HAVE_GTEST ON)
else()
  check_cxx_source_compiles("#include <mutex>\nint main() { std::mutex m; m.lock(); m.unlock(); }"
                            MORVELUX_HAS_STD_MUTEX)
  if(NOT MORVELUX_HAS_STD_MUTEX)
    message(STATUS "GoogleTest needs std::mutex, which this compiler lacks: no unit tests in this tree "
                   "(the win64-unit preset builds them)")
    set(MORVELUX_HAVE_GTEST OFF)
  else()
    set(googletest_places ${CMAKE_SYSTEM_PREFIX_PATH})
    list(TRANSFORM googletest_places APPEND /src/googletest)
    find_path(GOOGLETEST_SOURCE_DIR NAMES googletest/CMakeLists.txt PATHS ${googletest_places}
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
              DOC "GoogleTest's source tree, compiled for the target in cross builds")
    if(NOT GOOGLETEST_SOURCE_DIR)
      message(FATAL_ERROR "GoogleTest's sources are missing: install Debian's googletest package "
                          "(scripts/deps) or set GOOGLETEST_SOURCE_DIR")
    endif()
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(MORVELUX_HAVE_GTEST ON)
  endif()
endif()

if(MORVELUX_HAVE_GTEST)
  include(GoogleTest)
endif()
