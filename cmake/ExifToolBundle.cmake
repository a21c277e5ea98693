# Copies Debian's exiftool and the Perl modules it loads into the app's own
# resource folder, so that <exe dir>/../share/tessaly is self-contained. The
# script finds its modules through the lib/ folder beside it. The install
# rules take the bundle from the build tree, so both share this one list.

set(EXIFTOOL_SCRIPT /usr/bin/exiftool CACHE FILEPATH "exiftool script to bundle")
set(EXIFTOOL_PERL_DIR /usr/share/perl5 CACHE PATH "Folder holding Image/ExifTool.pm")

foreach(required ${EXIFTOOL_SCRIPT} ${EXIFTOOL_PERL_DIR}/Image/ExifTool.pm ${EXIFTOOL_PERL_DIR}/File/RandomAccess.pm)
    if(NOT EXISTS ${required})
        message(FATAL_ERROR "${required} is missing: install Debian's libimage-exiftool-perl")
    endif()
endforeach()

set(_bundle_stamp ${CMAKE_BINARY_DIR}/exiftool-bundle.stamp)
add_custom_command(
    OUTPUT ${_bundle_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TESSALY_RESOURCE_DIR}/lib
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSALY_RESOURCE_DIR}/lib/Image ${TESSALY_RESOURCE_DIR}/lib/File
    COMMAND ${CMAKE_COMMAND} -E copy ${EXIFTOOL_SCRIPT} ${TESSALY_RESOURCE_DIR}/exiftool
    COMMAND ${CMAKE_COMMAND} -E copy ${EXIFTOOL_PERL_DIR}/Image/ExifTool.pm ${TESSALY_RESOURCE_DIR}/lib/Image/
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${EXIFTOOL_PERL_DIR}/Image/ExifTool ${TESSALY_RESOURCE_DIR}/lib/Image/ExifTool
    COMMAND ${CMAKE_COMMAND} -E copy ${EXIFTOOL_PERL_DIR}/File/RandomAccess.pm ${TESSALY_RESOURCE_DIR}/lib/File/
    COMMAND ${CMAKE_COMMAND} -E touch ${_bundle_stamp}
    DEPENDS ${EXIFTOOL_SCRIPT} ${EXIFTOOL_PERL_DIR}/Image/ExifTool.pm
    COMMENT "Bundling exiftool into ${TESSALY_RESOURCE_DIR}"
    VERBATIM)
add_custom_target(exiftool_bundle ALL DEPENDS ${_bundle_stamp})

install(PROGRAMS ${TESSALY_RESOURCE_DIR}/exiftool DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly)
install(DIRECTORY ${TESSALY_RESOURCE_DIR}/lib DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly)
