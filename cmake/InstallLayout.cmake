# Where an installation puts things. Included before the programs' folders,
# whose install() rules use these names.
#
#   <prefix>/lib/vantix/      the program folder: vantix, vantixctl, hid,
#                             KBHook.so and the skin images/0409/, together,
#                             because the programs find each other and the
#                             skin beside their own real path
#   <prefix>/bin/             vantix and vantixctl as relative symbolic links
#                             into the program folder
#   <prefix>/share/...        launcher entry, icons, AppStream metadata,
#                             manual pages, bash completion
include(GNUInstallDirs)

if(NOT DEFINED VANTIX_INSTALL_PROGRAM_DIR)
  set(VANTIX_INSTALL_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/vantix" CACHE PATH
      "Program folder of an installation: programs, hook library and skin")
endif()

# The application's identifier: the name of the launcher entry, the icon and
# the AppStream component.
set(VANTIX_APP_ID "org.vantix.Vantix")

# Installs <prefix>/bin/NAME as a symbolic link to the program NAME of the
# program folder. The link is relative, so that the tree works wherever it
# is unpacked (a package's scratch root, a DESTDIR); the programs resolve it
# through /proc/self/exe and find their folder.
function(vantix_install_command_link name)
  if(IS_ABSOLUTE "${VANTIX_INSTALL_PROGRAM_DIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(target "${VANTIX_INSTALL_PROGRAM_DIR}/${name}")
    if(NOT IS_ABSOLUTE "${target}")
      set(target "${CMAKE_INSTALL_PREFIX}/${target}")
    endif()
  else()
    # Both below the prefix: the same relative path for any prefix.
    file(RELATIVE_PATH target "/prefix/${CMAKE_INSTALL_BINDIR}"
         "/prefix/${VANTIX_INSTALL_PROGRAM_DIR}/${name}")
  endif()
  set(link "${PROJECT_BINARY_DIR}/install-links/${name}")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/install-links")
  file(CREATE_LINK "${target}" "${link}" SYMBOLIC)
  # install(FILES) copies a symbolic link as a link.
  install(FILES "${link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")
endfunction()
