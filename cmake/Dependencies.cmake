# Third-party libraries, found once and exposed as imported targets.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)
# Qt Network also reads the update feed, which needs no widgets.
# Qt GUI (no widgets) draws store images, which the command line makes too.
find_package(Qt6 REQUIRED COMPONENTS Core DBus Network Gui)
if(CADRELLE_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    # The widgets' bundled icons and the icon theme's symbolic icons are SVG.
    find_package(Qt6 REQUIRED COMPONENTS Svg)
    # Framed recordings play in the previews.
    find_package(Qt6 REQUIRED COMPONENTS Multimedia)
endif()
set(CMAKE_AUTOMOC ON)

pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET spng)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET
                  libavformat libavcodec libavutil libswscale libswresample)
pkg_check_modules(X265 IMPORTED_TARGET x265)
# Downloaded updates are .tar.gz archives.
pkg_check_modules(LIBARCHIVE REQUIRED IMPORTED_TARGET libarchive)

if(BUILD_TESTING)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
