# Writes the AppStream metadata from its template.
#
#   cmake -DTEMPLATE=... -DOUTPUT=... -DAPP_ID=... -DSKIN_LANGUAGE=en|de
#         [-DSCREENSHOT_BASE_URL=https://.../]
#         [-DVERSION=x.y.z -DRELEASE_DATE=YYYY-MM-DD] -P metainfo.cmake
#
# or include()d with the same variables set. AppStream takes screenshots
# only as http(s) addresses, and the project has no address of its own yet:
# without SCREENSHOT_BASE_URL the metadata lists none. With it, the main
# window's screenshots (docs/screenshots/ of the source, installed to the
# package's documentation) are listed under that address, in the skin's
# language.
foreach(required TEMPLATE OUTPUT APP_ID SKIN_LANGUAGE)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "metainfo.cmake: ${required} is not set")
  endif()
endforeach()

set(VANTIX_APP_ID "${APP_ID}")
set(VANTIX_METAINFO_SCREENSHOTS "")
if(NOT "${SCREENSHOT_BASE_URL}" STREQUAL "")
  if(NOT SCREENSHOT_BASE_URL MATCHES "^https?://[^/ ]+")
    message(FATAL_ERROR "metainfo.cmake: SCREENSHOT_BASE_URL must be an http or https address, "
                        "not '${SCREENSHOT_BASE_URL}'")
  endif()
  set(base "${SCREENSHOT_BASE_URL}")
  if(NOT base MATCHES "/$")
    string(APPEND base "/")
  endif()
  set(pages
      "buttons|The twelve buttons, the pointer settings and the report rate|Die zwölf Tasten, die Zeigereinstellungen und die Abfragerate"
      "performance|The six resolution stages, X and Y apart or linked|Die sechs Auflösungsstufen, X und Y getrennt oder verbunden"
      "lighting|The lighting: mode, colour and brightness|Die Beleuchtung: Modus, Farbe und Helligkeit")
  set(block "  <screenshots>\n")
  set(type "default")
  foreach(page IN LISTS pages)
    string(REPLACE "|" ";" fields "${page}")
    list(GET fields 0 name)
    list(GET fields 1 caption)
    list(GET fields 2 caption_de)
    string(APPEND block
      "    <screenshot type=\"${type}\">\n"
      "      <caption>${caption}</caption>\n"
      "      <caption xml:lang=\"de\">${caption_de}</caption>\n"
      "      <image type=\"source\" width=\"1028\" height=\"712\">${base}main-${name}-${SKIN_LANGUAGE}.png</image>\n"
      "    </screenshot>\n")
    set(type "extra")
  endforeach()
  string(APPEND block "  </screenshots>")
  set(VANTIX_METAINFO_SCREENSHOTS "${block}")
endif()
# The release this metadata ships with; software centres show it.
set(VANTIX_METAINFO_RELEASES "")
if(NOT "${VERSION}" STREQUAL "")
  if(NOT RELEASE_DATE MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    message(FATAL_ERROR "metainfo.cmake: RELEASE_DATE must be YYYY-MM-DD, not '${RELEASE_DATE}'")
  endif()
  set(VANTIX_METAINFO_RELEASES
      "  <releases>\n    <release version=\"${VERSION}\" date=\"${RELEASE_DATE}\"/>\n  </releases>")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
