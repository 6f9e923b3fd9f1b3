# Every target of ours gets the same warnings; third-party code is left alone.
option(MORVELUX_WERROR "Treat warnings as errors (the ci presets)" OFF)

function(morvelux_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                           $<$<BOOL:${MORVELUX_WERROR}>:-Werror>)
endfunction()
