# The Debian package, made by CPack from the install rules (`make package`).
# Everything goes under /usr. The dependencies on libraries come from
# dpkg-shlibdeps; only the programs the application runs, rather than links,
# are listed here. CPack's staging folders are made under the caller's umask
# and their modes go into the package, so callers run it with umask 022.
set(CADRELLE_PACKAGE_MAINTAINER "Cadrelle maintainers <maintainers@cadrelle.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CADRELLE_HOMEPAGE "https://cadrelle.example/" CACHE STRING
    "Homepage field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cadrelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Cadrelle developers")
set(CPACK_PACKAGE_CONTACT ${CADRELLE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Debian's zsh reads the completions of packages from vendor-completions, not
# from the site-functions folder other installations use.
set(CPACK_CUSTOM_INSTALL_VARIABLES "CADRELLE_ZSH_COMPLETIONS=share/zsh/vendor-completions")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "places iOS simulator screenshots and recordings in device frames")
# The extended description, in lines of at most 80 characters as Debian
# asks; "." is an empty line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Cadrelle puts screenshots and screen recordings of iOS apps, taken in the"
    "iOS Simulator, into device frames and writes the framed copies to an export"
    "folder: a framed screenshot is a new PNG, a framed recording a new MP4 or a"
    "transparent QuickTime movie with its audio. The originals are never changed."
    "."
    "It runs as a desktop application that frames new captures in the background"
    "and keeps new screenshots in a Quick Access panel, and as a command line for"
    "framing, inspecting frames and watching folders. Device frames for current"
    "iPhones and iPads are included.")

set(CPACK_DEBIAN_PACKAGE_NAME cadrelle)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CADRELLE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CADRELLE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens files and folders, xdg-mime finds the image editor; both are
# run, not linked, so no library link names them. Recording previews decode
# with the FFmpeg libraries the program links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
