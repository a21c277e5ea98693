# Desktop icons, package documents and the CPack configuration of the Debian
# package: `cpack -G DEB` in a build folder gives tessaly_<version>_<arch>.deb.

# Menus and docks ask the icon theme for fixed sizes; not every desktop
# renders the scalable icon itself.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert is missing: install Debian's librsvg2-bin")
endif()
set(_icon_svg ${PROJECT_SOURCE_DIR}/resources/desktop/org.tessaly.Tessaly.svg)
set(_icon_pngs)
foreach(size 16 24 32 48 64 128 256)
    set(_dir ${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    add_custom_command(
        OUTPUT ${_dir}/org.tessaly.Tessaly.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_dir}/org.tessaly.Tessaly.png ${_icon_svg}
        DEPENDS ${_icon_svg}
        VERBATIM)
    list(APPEND _icon_pngs ${_dir}/org.tessaly.Tessaly.png)
    install(FILES ${_dir}/org.tessaly.Tessaly.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(app_icons ALL DEPENDS ${_icon_pngs})

set(_doc_dir ${CMAKE_BINARY_DIR}/package-doc)
configure_file(${PROJECT_SOURCE_DIR}/resources/package/changelog.in ${_doc_dir}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/package/tessaly.1 ${_doc_dir}/tessaly.1 @ONLY)
add_custom_command(
    OUTPUT ${_doc_dir}/changelog.gz ${_doc_dir}/tessaly.1.gz
    COMMAND gzip -9nkf ${_doc_dir}/changelog ${_doc_dir}/tessaly.1
    DEPENDS ${_doc_dir}/changelog ${_doc_dir}/tessaly.1
    VERBATIM)
add_custom_target(package_doc ALL DEPENDS ${_doc_dir}/changelog.gz ${_doc_dir}/tessaly.1.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright ${_doc_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessaly)
install(FILES ${_doc_dir}/tessaly.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tessaly)
# Put into /etc/apparmor.d by postinst, only where AppArmor can read it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/apparmor-tessaly
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaly/apparmor RENAME tessaly)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/resources/package/postinst ${PROJECT_SOURCE_DIR}/resources/package/postrm)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VENDOR "Tessaly developers")
set(CPACK_PACKAGE_CONTACT "Tessaly developers <dev@tessaly.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remove hidden metadata from photos, videos and PDFs")
set(CPACK_PACKAGE_DESCRIPTION "\
Photos, camera raws, videos and PDFs carry hidden metadata: where a picture
was taken, the serial number of the camera, the author's name, the dates and
the history of edits. Tessaly removes it before the files are shared.
.
Each file is read, cleaned in place and read again; the window shows what
the file said before and after. A file is either cleaned completely or left
as it was. Supported are JPEG, PNG, WebP and HEIC pictures, Canon, Nikon,
Sony and DNG raws, MP4, MOV and MKV videos, and PDF documents.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the app loads or runs without linking to it: the QML modules its
# views import, the xcb platform and SVG image plugins, the icon theme its
# buttons draw from, Qt's own German texts, Perl for the bundled exiftool,
# Perl's ZIP reader, without which exiftool cannot read an office document's
# or e-book's properties, libzip for the app's own reading of them,
# mkvtoolnix for MKVs and bubblewrap, which every tool that reads a file runs
# in (without it they run unconfined and the app says so: a Depends, so that
# no install lacks it).
set(_runtime_depends
    qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtquick
    qml6-module-qtquick-window qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-layouts
    qml6-module-qtquick-shapes qt6-qpa-plugins libqt6svg6 libgl1-mesa-dri qt6-translations-l10n
    adwaita-icon-theme hicolor-icon-theme perl libarchive-zip-perl libzip4 mkvtoolnix bubblewrap)
list(JOIN _runtime_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The file dialog is the desktop's own through the portal; without them Qt
# falls back to its QML dialog. xdg-open hands F1's manual page to the
# desktop's help viewer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-xdgdesktopportal-platformtheme, xdg-desktop-portal, fonts-dejavu-core, dbus, xdg-utils")

include(CPack)
