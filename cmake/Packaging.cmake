# The Debian package: `cpack -G DEB` in the build folder (scripts/package)
# makes quorvel_<version>_amd64.deb from what `cmake --install` installs,
# plus the files Debian wants beside a program: its copyright, its changelog
# and a manual page under /usr/share.

set(quorvel_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# Debian wants the changelog and the manual page compressed with gzip -9n
# (no name or time stamp, so the same text gives the same bytes).
find_program(QUORVEL_GZIP gzip)
if(QUORVEL_GZIP)
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
    foreach(doc changelog quorvel.1)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                     ${quorvel_packaging_dir}/${doc})
        execute_process(COMMAND ${QUORVEL_GZIP} -9n -c ${quorvel_packaging_dir}/${doc}
                        OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/packaging/${doc}.gz
                        RESULT_VARIABLE gzip_result)
        if(NOT gzip_result EQUAL 0)
            message(FATAL_ERROR "gzip could not compress packaging/${doc}")
        endif()
    endforeach()
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/quorvel.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
endif()
install(FILES ${quorvel_packaging_dir}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Brix Software")
set(CPACK_PACKAGE_CONTACT "Brix Software <support@quorvel.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "http://quorvel.example.org/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quorvel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The summary follows Debian's style: no leading article, no full stop.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tutor that teaches everyday Italian")
set(CPACK_PACKAGE_DESCRIPTION
"Quorvel teaches everyday Italian while you work. A thin strip along the
top edge of the screen plays Italian and English sentence pairs from ten
everyday dialogues: the Italian line scrolls in while a talking parrot
waves and reads it aloud, then the English translation slides up.
.
Choose a topic or the whole course, in sequence or at random, how often
each pair repeats and how long each language stays up.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binary links come from dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binary needs that dpkg-shlibdeps cannot see: the fonts the strip
# is drawn with. Qt's X11 platform plugin comes with libqt6gui6, which
# dpkg-shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# Reading aloud: the speech daemon and espeak-ng's Italian voice (without
# them the parrot stays silent and everything else goes on); Website and
# E-mail open through xdg-open; the Wayland plugin serves only a session
# with no XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "speech-dispatcher, speech-dispatcher-espeak-ng, espeak-ng, xdg-utils, qt6-wayland")

include(CPack)
