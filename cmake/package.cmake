# The Debian package: `cpack` in the build folder writes tunoxa_<version>_<arch>.deb, which installs
# the program folder under /usr/lib/tunoxa with its links in /usr/bin, the menu entry, the icons, the
# software centres' metadata, the manual pages, the completion of tunoxa-batch, and the copyright and
# changelog that share/ lays out.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunoxa)
set(CPACK_PACKAGE_VENDOR "Tunoxa")
set(CPACK_PACKAGE_CONTACT "Tunoxa maintainers <maintainers@tunoxa.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts FLAC albums to MP3, Opus, AAC or Vorbis, and video files")
# The lines of the long description are kept as written; Debian wants them shorter than 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "\
Tunoxa converts folders of FLAC albums into MP3, Opus, AAC (M4A) or Ogg
Vorbis files, and video files into RMVB, RM, MPG, AVI, high definition MP4,
MOV, and MP4 or 3GP for phones, by
running ffmpeg, sox and its own encoder. It keeps each failed file in its
list, with the reason. Outside library mode no conversion replaces an
existing file. Library mode keeps a copy of a FLAC library in step: it
replaces an output that is older than its source or incomplete, moves an
output whose source was moved, and on request deletes the outputs whose
source is gone.

tunoxa-batch makes the same conversions from a terminal, over SSH or from a
script, without a display.")
# Installed through DESTDIR, so the menu entry is written with /usr in it, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tunoxa.invalid")
# The control files get Debian's permissions whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt 6 libraries the executables link (with their versions) come from dpkg-shlibdeps. The tools
# run through data/, the SVG plugins that draw the icon theme's icons in Qt's own dialogs, the
# translations of those dialogs and a font for the Chinese captions are no linked library, so they
# are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "ffmpeg, libavcodec-extra, sox, libsox-fmt-all, flac, libqt6svg6, qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
# The completion of tunoxa-batch is loaded by bash-completion when the command is first completed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
include(CPack)
