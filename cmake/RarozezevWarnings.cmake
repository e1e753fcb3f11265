# Warning flags shared by every target of the project (not by third-party headers, which
# come in through imported targets and are therefore treated as system headers).
add_library(rarozezev_warnings INTERFACE)
target_compile_options(rarozezev_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Wcast-qual -Wformat=2
  -Wimplicit-fallthrough)
if(RAROZEZEV_WERROR)
  target_compile_options(rarozezev_warnings INTERFACE -Werror)
endif()
