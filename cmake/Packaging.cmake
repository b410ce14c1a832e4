# Launcher entry, AppStream metadata, manual pages and bash completion, and
# the Debian package (cpack -G DEB in the build folder). The programs, the
# hook library, the skin and the icon are installed by their own folders
# (cmake/InstallLayout.cmake names the places).

set(VANTIX_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(packaging_out "${PROJECT_BINARY_DIR}/packaging")
file(MAKE_DIRECTORY "${packaging_out}/man")

# ---- launcher entry and AppStream metadata --------------------------------

# The release's date: SOURCE_DATE_EPOCH when the builder sets one (a
# reproducible build), else the date of the last commit, else today. The
# same sources then give the same package.
set(release_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(release_epoch STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                    OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET RESULT_VARIABLE git_result)
    if(NOT git_result EQUAL 0)
      set(release_epoch "")
    endif()
  endif()
endif()
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT release_epoch STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${release_epoch}")
endif()
string(TIMESTAMP VANTIX_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VANTIX_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")


install(FILES "${VANTIX_PACKAGING_DIR}/${VANTIX_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

# AppStream wants screenshots as http(s) addresses. Where the project
# publishes docs/screenshots/ is for whoever publishes it to say; until then
# the metadata lists none rather than an address that serves nothing.
set(VANTIX_SCREENSHOT_BASE_URL "" CACHE STRING
    "http(s) address under which docs/screenshots/ is published, for the AppStream metadata")
function(vantix_write_metainfo output)
  # The script's inputs, local to this function.
  set(TEMPLATE "${VANTIX_PACKAGING_DIR}/${VANTIX_APP_ID}.metainfo.xml.in")
  set(OUTPUT "${output}")
  set(APP_ID "${VANTIX_APP_ID}")
  # The screenshots listed are the English ones; both languages are shipped.
  set(SKIN_LANGUAGE "en")
  set(SCREENSHOT_BASE_URL "${VANTIX_SCREENSHOT_BASE_URL}")
  set(VERSION "${PROJECT_VERSION}")
  set(RELEASE_DATE "${VANTIX_RELEASE_DATE}")
  include("${VANTIX_PACKAGING_DIR}/metainfo.cmake")
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               "${TEMPLATE}" "${VANTIX_PACKAGING_DIR}/metainfo.cmake")
endfunction()
vantix_write_metainfo("${packaging_out}/${VANTIX_APP_ID}.metainfo.xml")
install(FILES "${packaging_out}/${VANTIX_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# ---- manual pages ----------------------------------------------------------

# Compressed as Debian installs them: gzip -9, without name and time stamp,
# so that the same page gives the same bytes.
find_program(VANTIX_GZIP gzip REQUIRED)
set(man_pages "")
foreach(page IN ITEMS vantix.1 vantixctl.1 hid.1)
  set(source "${VANTIX_PACKAGING_DIR}/man/${page}")
  set(compressed "${packaging_out}/man/${page}.gz")
  add_custom_command(
    OUTPUT "${compressed}"
    COMMAND sh -c "\"$1\" -9n -c \"$2\" > \"$3\"" sh "${VANTIX_GZIP}" "${source}" "${compressed}"
    DEPENDS "${source}"
    COMMENT "Compressing the manual page ${page}"
    VERBATIM)
  list(APPEND man_pages "${compressed}")
endforeach()
add_custom_target(vantix_manuals ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# ---- shell completion ------------------------------------------------------

install(FILES "${VANTIX_PACKAGING_DIR}/bash-completion/vantixctl"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES "${VANTIX_PACKAGING_DIR}/zsh/_vantixctl"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions")
install(FILES "${VANTIX_PACKAGING_DIR}/fish/vantixctl.fish"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d")

# ---- the GNOME Shell extension that tells the agent the program in front ---

# Two builds: GNOME 43-44 (Debian 12) and 45 and later (ES modules). The one
# for the shell the package is made for goes where GNOME Shell finds it; the
# other ships beside it for those who upgrade their shell.
option(VANTIX_GNOME_SHELL_45 "Install the GNOME Shell extension for GNOME 45 and later" OFF)
if(VANTIX_GNOME_SHELL_45)
  set(gnome_active 45)
  set(gnome_other 43-44)
else()
  set(gnome_active 43-44)
  set(gnome_other 45)
endif()
install(DIRECTORY "${VANTIX_PACKAGING_DIR}/gnome-shell/${gnome_active}/"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/vantix-focus@vantix.org")
install(DIRECTORY "${VANTIX_PACKAGING_DIR}/gnome-shell/${gnome_other}/"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/vantix/gnome-shell-${gnome_other}/vantix-focus@vantix.org")

# ---- release date, copyright and changelog ---------------------------------

set(VANTIX_VERSION "${PROJECT_VERSION}")
set(VANTIX_PROGRAM_DIR_IN_PACKAGE "usr/${VANTIX_INSTALL_PROGRAM_DIR}")
set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/vantix")
configure_file("${VANTIX_PACKAGING_DIR}/debian/copyright.in" "${packaging_out}/copyright" @ONLY)
configure_file("${VANTIX_PACKAGING_DIR}/debian/changelog.in" "${packaging_out}/changelog.Debian" @ONLY)
add_custom_command(
  OUTPUT "${packaging_out}/changelog.Debian.gz"
  COMMAND sh -c "\"$1\" -9n -c \"$2\" > \"$3\"" sh "${VANTIX_GZIP}"
          "${packaging_out}/changelog.Debian" "${packaging_out}/changelog.Debian.gz"
  DEPENDS "${packaging_out}/changelog.Debian"
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(vantix_changelog ALL DEPENDS "${packaging_out}/changelog.Debian.gz")
install(FILES "${packaging_out}/copyright" "${packaging_out}/changelog.Debian.gz"
              "${PROJECT_SOURCE_DIR}/README.md"
        DESTINATION "${doc_dir}")

# ---- the device agent as a session service ---------------------------------

# Started at login by the desktop (XDG autostart) or by systemd --user
# (systemctl --user enable vantix-agent); a second copy exits at once, so
# both may be on. The package installs below /usr, so that is where the
# agent is.
if(IS_ABSOLUTE "${VANTIX_INSTALL_PROGRAM_DIR}")
  set(VANTIX_AGENT_PATH "${VANTIX_INSTALL_PROGRAM_DIR}/hid")
else()
  set(VANTIX_AGENT_PATH "/usr/${VANTIX_INSTALL_PROGRAM_DIR}/hid")
endif()
configure_file("${VANTIX_PACKAGING_DIR}/agent/vantix-agent.service.in"
               "${packaging_out}/vantix-agent.service" @ONLY)
configure_file("${VANTIX_PACKAGING_DIR}/agent/${VANTIX_APP_ID}.Agent.desktop.in"
               "${packaging_out}/${VANTIX_APP_ID}.Agent.desktop" @ONLY)
install(FILES "${packaging_out}/vantix-agent.service" DESTINATION "lib/systemd/user")
install(FILES "${packaging_out}/${VANTIX_APP_ID}.Agent.desktop" DESTINATION "/etc/xdg/autostart")
# Access for the user at the seat (udev), uinput loaded at boot.
install(FILES "${VANTIX_PACKAGING_DIR}/agent/70-vantix.rules" DESTINATION "lib/udev/rules.d")
install(FILES "${VANTIX_PACKAGING_DIR}/agent/vantix.conf" DESTINATION "lib/modules-load.d")

# ---- Debian package --------------------------------------------------------

set(CPACK_GENERATOR "DEB")
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME "vantix")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vantix developers")
set(CPACK_PACKAGE_CONTACT "Vantix developers")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantix developers")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Dependencies come from the binaries (dpkg-shlibdeps, from dpkg-dev). What
# is loaded at run time no binary names: the Qt platform plugins (the window
# cannot open without them), the font the skin is measured for (Liberation
# Sans has Arial's metrics, so every text fits as laid out; Noto Sans CJK
# draws the Japanese, Korean and Chinese texts in each one's own forms) and
# Qt's own translations (the file chooser in the user's language).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-liberation2, fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The build keeps its debug information; the package does not.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility of the Corvane II Gaming Mouse")
# The long description, below the summary line. No quotation marks: CPack
# passes the text through list commands, which turn them into separators.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantix sets up the five profiles of the Corvane II Gaming Mouse: what its
twelve buttons do (mouse functions, keys, key combinations, fire keys,
macros), six resolution stages, the report rate, the pointer settings and
the lighting. Profiles can be exported, imported and reset.
.
The package holds the window program vantix, the command-line tool
vantixctl, which works on the same profile and macro files, and the device
agent hid. The profiles live in the folder Corvane II Gaming Mouse in the
user's documents folder; installing and removing the package never touches
it.")
# The launcher menu, icon cache and manual index are brought up to date by
# the triggers of the packages that own them. Our maintainer scripts only
# make the udev rule and uinput take effect at once (udev has no trigger for
# its rules folder). They also take the place of the ldconfig calls CPack
# would add because KBHook.so lies below /usr/lib: the hook library lives in
# the private program folder, which the linker's cache never looks at.
# The autostart entry lies below /etc: the user's edits to it survive updates.
file(WRITE "${packaging_out}/conffiles" "/etc/xdg/autostart/${VANTIX_APP_ID}.Agent.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${packaging_out}/conffiles"
    "${VANTIX_PACKAGING_DIR}/debian/postinst"
    "${VANTIX_PACKAGING_DIR}/debian/postrm")
include(CPack)

# ---- tests -----------------------------------------------------------------

if(VANTIX_BUILD_TESTS)
  # vantixctl's help against its manual page, the manual pages rendered, the
  # launcher entry and the metadata through their validators, the bash
  # completion. The package itself is tested by scripts/test.sh
  # (tests/package/package_test.sh), which builds and installs it.
  add_test(NAME package_texts
           COMMAND bash "${PROJECT_SOURCE_DIR}/tests/package/texts_test.sh"
                   "$<TARGET_FILE:vantixctl>" "${PROJECT_SOURCE_DIR}" "${VANTIX_APP_ID}"
                   "en")
  set_tests_properties(package_texts PROPERTIES TIMEOUT 120)
endif()
