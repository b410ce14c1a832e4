# Wayland protocols as C code generated at build time by wayland-scanner:
# a static library of the protocol's interfaces with its client header.
#   vantix_wayland_protocol(TARGET XML)
# The header is <BASENAME-client-protocol.h> (BASENAME: XML's name without
# ".xml"), on the library's include path.
find_program(VANTIX_WAYLAND_SCANNER wayland-scanner REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)

function(vantix_wayland_protocol target xml)
  get_filename_component(base "${xml}" NAME_WLE)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}")
  add_custom_command(
    OUTPUT "${dir}/${base}-client-protocol.h" "${dir}/${base}-protocol.c"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${VANTIX_WAYLAND_SCANNER} client-header "${xml}" "${dir}/${base}-client-protocol.h"
    COMMAND ${VANTIX_WAYLAND_SCANNER} private-code "${xml}" "${dir}/${base}-protocol.c"
    DEPENDS "${xml}"
    VERBATIM)
  add_library(${target} STATIC "${dir}/${base}-protocol.c" "${dir}/${base}-client-protocol.h")
  target_include_directories(${target} SYSTEM PUBLIC "${dir}")
  target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()
