# exiftool cannot write Matroska; MKV files are cleaned by mkvtoolnix's
# mkvpropedit. A copy would need the exact mkvtoolnix libraries it was linked
# with, so the app's libexec folder holds a link to the system's binary instead,
# and the package depends on mkvtoolnix. The app still runs only what it finds
# in its own folders, never what PATH offers.

set(MKVPROPEDIT_PROGRAM /usr/bin/mkvpropedit CACHE FILEPATH "mkvpropedit the app links to")
set(TESSALY_LIBEXEC_DIR ${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_LIBEXECDIR}/tessaly)

if(NOT EXISTS ${MKVPROPEDIT_PROGRAM})
    message(FATAL_ERROR "${MKVPROPEDIT_PROGRAM} is missing: install Debian's mkvtoolnix")
endif()

add_custom_command(
    OUTPUT ${TESSALY_LIBEXEC_DIR}/mkvpropedit
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSALY_LIBEXEC_DIR}
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${MKVPROPEDIT_PROGRAM} ${TESSALY_LIBEXEC_DIR}/mkvpropedit
    COMMENT "Linking ${TESSALY_LIBEXEC_DIR}/mkvpropedit to ${MKVPROPEDIT_PROGRAM}"
    VERBATIM)
add_custom_target(mkvpropedit_bundle ALL DEPENDS ${TESSALY_LIBEXEC_DIR}/mkvpropedit)

# install(FILES) keeps a link a link.
install(FILES ${TESSALY_LIBEXEC_DIR}/mkvpropedit DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tessaly)
