# Every target of the project links orvella_options: warnings, and the
# optional sanitizer build.
add_library(orvella_options INTERFACE)
target_compile_options(orvella_options INTERFACE -Wall -Wextra -Wpedantic)
# The test command builds with warnings as errors, so a warning cannot land.
option(ORVELLA_WERROR "Treat compiler warnings as errors" OFF)
if(ORVELLA_WERROR)
  target_compile_options(orvella_options INTERFACE -Werror)
endif()
if(ORVELLA_SANITIZE)
  target_compile_options(orvella_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(orvella_options INTERFACE -fsanitize=address,undefined)
endif()
