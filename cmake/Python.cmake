# MORVELUX_PYTHON3: the interpreter the test and measuring scripts run with.
# Debian's own Python first: the scripts need only its standard library (and
# Debian's python3-pefile), and a per-user interpreter manager may not be set
# up where CI runs.
find_program(MORVELUX_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT MORVELUX_PYTHON3)
  find_package(Python3 3.9 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    set(MORVELUX_PYTHON3 ${Python3_EXECUTABLE} CACHE FILEPATH "Python for the test scripts" FORCE)
  endif()
endif()

# morvelux_require_python(): for the parts that cannot be tested without it.
function(morvelux_require_python)
  if(NOT MORVELUX_PYTHON3)
    message(FATAL_ERROR "python3 is missing: run scripts/deps")
  endif()
endfunction()
