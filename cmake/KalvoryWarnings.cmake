# One place for the warning set every target of ours compiles with.
add_library(kalvory_warnings INTERFACE)
target_compile_options(kalvory_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(KALVORY_WERROR)
  target_compile_options(kalvory_warnings INTERFACE -Werror)
endif()
