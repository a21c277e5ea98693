# exiftool cannot write Matroska; MKV files are cleaned by mkvtoolnix's
# mkvpropedit, copied beside exiftool so that the app runs only tools from its
# own resource folder. The binary uses the system's libraries (Debian's
# mkvtoolnix package must be installed to run it).

set(MKVPROPEDIT_PROGRAM /usr/bin/mkvpropedit CACHE FILEPATH "mkvpropedit to bundle")

if(NOT EXISTS ${MKVPROPEDIT_PROGRAM})
    message(FATAL_ERROR "${MKVPROPEDIT_PROGRAM} is missing: install Debian's mkvtoolnix")
endif()

add_custom_command(
    OUTPUT ${TESSALY_RESOURCE_DIR}/mkvpropedit
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSALY_RESOURCE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${MKVPROPEDIT_PROGRAM} ${TESSALY_RESOURCE_DIR}/mkvpropedit
    DEPENDS ${MKVPROPEDIT_PROGRAM}
    COMMENT "Bundling mkvpropedit into ${TESSALY_RESOURCE_DIR}"
    VERBATIM)
add_custom_target(mkvpropedit_bundle ALL DEPENDS ${TESSALY_RESOURCE_DIR}/mkvpropedit)

install(PROGRAMS ${MKVPROPEDIT_PROGRAM} DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly)
