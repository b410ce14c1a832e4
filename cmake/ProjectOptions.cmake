# Every target links vantix_options: one place for the language level, the
# warnings and the sanitizer flags.
add_library(vantix_options INTERFACE)
target_compile_features(vantix_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(vantix_options INTERFACE -Wall -Wextra -Wpedantic -Werror)

if(VANTIX_SANITIZE)
  target_compile_options(vantix_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(vantix_options INTERFACE -fsanitize=address,undefined)
endif()

# Fuzz builds instrument every target for libFuzzer's coverage; only the fuzz
# targets themselves link the fuzzer's main.
if(VANTIX_FUZZ)
  target_compile_options(vantix_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  target_link_options(vantix_options INTERFACE -fsanitize=address,undefined)
endif()

# The Qt code (libraries, programs, tools, tests, benchmarks) converts
# between QString and char strings only where it says so, and says which
# encoding the bytes have.
add_library(vantix_qt_options INTERFACE)
target_compile_definitions(vantix_qt_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
