# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it.
# Included from the top CMakeLists.txt once src/ and tools/ are added, so that every target
# it installs already exists.
#
#   <prefix>/lib/quillfen/       the programs, the device services, Skins/ (with language.ini),
#                                Help/ and Velmorad: the program finds them beside its own
#                                executable (/proc/self/exe), so they share one folder
#   <prefix>/bin/                relative links to quillfen and quillfenctl, which also hold
#                                inside a DESTDIR; /proc/self/exe names the file they point to
#   <prefix>/lib/udev/rules.d/   the rule that gives the user at the seat the keyboard
#   <prefix>/share/...           desktop entry, AppStream metainfo, hicolor icons, man pages,
#                                bash completion, copyright and changelog
#   /etc/xdg/autostart/          the login entry that starts the program with /Start
#
# The data files live in packaging/; the build renders the icons, fills in the version and
# compresses the man pages and the changelog under <build>/packaging.
include(GNUInstallDirs)

set(QUILLFEN_APP_INSTALL_DIR "lib/quillfen" CACHE STRING
    "Folder of the programs, device services, Skins/ and Help/, relative to the prefix")
set(QUILLFEN_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Folder of the udev rule, relative to the prefix")
set(QUILLFEN_AUTOSTART_DIR "/etc/xdg/autostart" CACHE STRING
    "Folder of the login entry (absolute: desktops read /etc/xdg/autostart, not one under /usr/local)")
set(QUILLFEN_MAINTAINER "Quillfen developers <quillfen-devel@example.org>" CACHE STRING
    "Maintainer named in the Debian package")
# The desktop entry, the metainfo and the autostart entry are named after it.
set(QUILLFEN_APP_ID "org.quillfen.Quillfen")

foreach(dir IN ITEMS QUILLFEN_APP_INSTALL_DIR QUILLFEN_UDEV_RULES_DIR CMAKE_INSTALL_BINDIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the prefix (it is ${${dir}})")
    endif()
endforeach()
if(NOT IS_ABSOLUTE "${QUILLFEN_AUTOSTART_DIR}")
    message(FATAL_ERROR "QUILLFEN_AUTOSTART_DIR must be absolute (it is ${QUILLFEN_AUTOSTART_DIR})")
endif()

set(qf_packaging_src ${CMAKE_SOURCE_DIR}/packaging)
set(qf_packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(qf_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillfen)

# --- Programs and what lies beside them --------------------------------------------------------

# The windowed program is installed once it is built; quillfenctl and the companion program
# always are.
set(qf_programs quillfenctl Velmorad)
set(qf_linked_programs quillfenctl)
if(TARGET quillfen)
    list(PREPEND qf_programs quillfen)
    list(PREPEND qf_linked_programs quillfen)
endif()
install(TARGETS ${qf_programs} RUNTIME DESTINATION ${QUILLFEN_APP_INSTALL_DIR})
# Relocations resolved at start, so that the whole global offset table can be read-only. Not for
# the windowed program: binding every Qt symbol it links before its first line runs made its start
# into the notification area about a quarter slower (1.7x the bare Qt program instead of 1.3x in
# tools/bench/startup-bench.sh); it keeps lazy binding with the toolchain's RELRO.
set_property(TARGET quillfenctl Velmorad HidServ HidServVirtual APPEND PROPERTY LINK_OPTIONS
             "LINKER:-z,now")

# The device services are plug-ins the programs open with dlopen, not libraries anything links:
# no version, no link name, not executable.
install(TARGETS HidServ HidServVirtual
        LIBRARY DESTINATION ${QUILLFEN_APP_INSTALL_DIR}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# Skins/ as the skin generator draws it (with the language file the program reads from there)
# and Help/. The user colour files are the user's own, written by the program at run time.
if(TARGET skin)
    install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Skins ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Help
            DESTINATION ${QUILLFEN_APP_INSTALL_DIR}
            PATTERN "UserDengColor_*" EXCLUDE)
endif()

# Relative links in bin/: made in the build tree and installed as links, so that they need no
# install-time code and stay valid wherever the tree is unpacked (DESTDIR, the package).
file(RELATIVE_PATH qf_bin_to_app /${CMAKE_INSTALL_BINDIR} /${QUILLFEN_APP_INSTALL_DIR})
file(MAKE_DIRECTORY ${qf_packaging_out}/bin)
foreach(program IN LISTS qf_linked_programs)
    file(CREATE_LINK ${qf_bin_to_app}/${program} ${qf_packaging_out}/bin/${program} SYMBOLIC)
    install(FILES ${qf_packaging_out}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# --- Desktop integration ---------------------------------------------------------------------

install(FILES ${qf_packaging_src}/udev/70-quillfen.rules DESTINATION ${QUILLFEN_UDEV_RULES_DIR})
install(FILES ${qf_packaging_src}/completion/quillfenctl
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
# The menu entry, the software-centre entry and the login entry all start the windowed program:
# without it they would offer a program that is not there.
if(TARGET quillfen)
    install(FILES ${qf_packaging_src}/desktop/${QUILLFEN_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${qf_packaging_src}/desktop/${QUILLFEN_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
    install(FILES ${qf_packaging_src}/desktop/${QUILLFEN_APP_ID}.autostart.desktop
            DESTINATION ${QUILLFEN_AUTOSTART_DIR} RENAME ${QUILLFEN_APP_ID}.desktop)
endif()

# The icon is drawn once as SVG and rendered to every hicolor size the desktops ask for.
find_program(QUILLFEN_RSVG_CONVERT rsvg-convert)
if(NOT QUILLFEN_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert not found: install librsvg2-bin (scripts/packages.txt)")
endif()
set(QUILLFEN_ICON_SIZES 16 22 24 32 48 64 128 256)
set(qf_icon_svg ${qf_packaging_src}/icons/quillfen.svg)
set(qf_generated "")
foreach(size IN LISTS QUILLFEN_ICON_SIZES)
    set(folder ${qf_packaging_out}/icons/${size}x${size}/apps)
    add_custom_command(OUTPUT ${folder}/quillfen.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${QUILLFEN_RSVG_CONVERT} --width=${size} --height=${size}
                --output=${folder}/quillfen.png ${qf_icon_svg}
        DEPENDS ${qf_icon_svg}
        COMMENT "Rendering the ${size}x${size} icon"
        VERBATIM)
    list(APPEND qf_generated ${folder}/quillfen.png)
    install(FILES ${folder}/quillfen.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${qf_icon_svg} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

# --- Man pages and documentation -------------------------------------------------------------

# Compressed with gzip -9n (no name, no time stamp), as Debian wants them and so that two builds
# give the same bytes.
find_program(QUILLFEN_GZIP gzip REQUIRED)
function(_qf_gzip source output)
    get_filename_component(folder ${output} DIRECTORY)
    string(REGEX REPLACE "\\.gz$" "" plain ${output})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
        COMMAND ${QUILLFEN_GZIP} -9nf ${plain}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# Every page is built (check-package.sh renders them all); a page is installed with its program.
foreach(page IN ITEMS quillfen quillfenctl)
    # The pages carry the version; configure_file reruns when the page changes.
    configure_file(${qf_packaging_src}/man/${page}.1 ${qf_packaging_out}/man-src/${page}.1 @ONLY)
    _qf_gzip(${qf_packaging_out}/man-src/${page}.1 ${qf_packaging_out}/man/man1/${page}.1.gz)
    list(APPEND qf_generated ${qf_packaging_out}/man/man1/${page}.1.gz)
    if(page IN_LIST qf_linked_programs)
        install(FILES ${qf_packaging_out}/man/man1/${page}.1.gz
                DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()

_qf_gzip(${qf_packaging_src}/debian/changelog ${qf_packaging_out}/doc/changelog.gz)
list(APPEND qf_generated ${qf_packaging_out}/doc/changelog.gz)
install(FILES ${qf_packaging_src}/debian/copyright ${qf_packaging_out}/doc/changelog.gz
        DESTINATION ${qf_doc_dir})

add_custom_target(packaging_files ALL DEPENDS ${qf_generated})

# --- The Debian package ----------------------------------------------------------------------

# The conffiles list names the one file under /etc: dpkg keeps a user's edit of it.
set(qf_control_files ${qf_packaging_src}/debian/postinst ${qf_packaging_src}/debian/postrm)
if(TARGET quillfen)
    file(WRITE ${qf_packaging_out}/control/conffiles
         "${QUILLFEN_AUTOSTART_DIR}/${QUILLFEN_APP_ID}.desktop\n")
    list(APPEND qf_control_files ${qf_packaging_out}/control/conffiles)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillfen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLFEN_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gaming keyboard settings: keys, macros, lighting, profiles")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillfen configures a gaming keyboard (USB 0c45:6523) with programmable keys,
nine G keys in two banks, an on-board macro memory, lighting effects and three
on-board profiles. It assigns keys, records macros, sets the lighting and
switches, imports and exports the profiles.

The program lives in the notification area and starts with the desktop
session; quillfenctl does the same from a terminal or a script. A udev rule
gives the user at the seat access to the keyboard without root, and a virtual
keyboard lets everything be tried without one.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, found by dpkg-shlibdeps; xdg-open opens the help page.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
# The skin's captions are drawn with DejaVu Sans, Arial-metric texts with Liberation, and the
# Chinese texts with WenQuanYi Micro Hei.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-dejavu-core, fonts-liberation2 | fonts-liberation, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${qf_control_files})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Only the binary package: the sources are the repository.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
