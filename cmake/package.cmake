# The Debian package: `cpack` in the build folder writes tunoxa_<version>_<arch>.deb, which installs
# the program folder under /usr/lib/tunoxa with its link /usr/bin/tunoxa, the menu entry and the icon.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunoxa)
set(CPACK_PACKAGE_VENDOR "Tunoxa")
set(CPACK_PACKAGE_CONTACT "Tunoxa maintainers <maintainers@tunoxa.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts FLAC albums to MP3 and video files to common video formats")
set(CPACK_PACKAGE_DESCRIPTION "Tunoxa converts folders of FLAC albums into MP3 files, and video files into \
phone and desktop video formats, by running ffmpeg, sox and its own encoder.")
# Installed through DESTDIR, so the menu entry is written with /usr in it, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.tunoxa.invalid")
# The Qt 6 libraries the executables link (with their versions) come from dpkg-shlibdeps. The tools
# run through data/, the SVG plugins that draw the icons (the linker drops libQt6Svg, as no symbol of
# it is called), the translations of Qt's own dialogs and a font for the Chinese captions are no
# linked library, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "ffmpeg, libavcodec-extra, sox, libsox-fmt-all, flac, libqt6svg6, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
