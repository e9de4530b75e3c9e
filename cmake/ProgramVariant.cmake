# The facts fixed when the program is built (its version, its update feed and
# the key that signs updates) live in one small generated translation unit per
# executable; everything else is the same static libraries. A test build can
# so make the same program under another version or feed by linking the
# libraries again with another unit.
set(CADRELLE_UPDATE_FEED_URL "" CACHE STRING "SUFeedURL: HTTPS address of the update feed")
set(CADRELLE_UPDATE_PUBLIC_KEY "" CACHE STRING
    "SUPublicEDKey: Base64 of the Ed25519 key that signs updates")
set(CADRELLE_UPDATE_CA_FILE "" CACHE STRING
    "PEM file of extra certificate authorities trusted for updates (tests only)")

set(CADRELLE_BUILD_INFORMATION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/BuildInformation.cpp.in)
set(CADRELLE_BUILD_INFORMATION_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/WriteBuildInformation.cmake)

# cadrelle_add_build_information(TARGET STATIC|OBJECT VERSION v [FEED_URL url]
#     [PUBLIC_KEY base64 | PUBLIC_KEY_FILE file] [CA_FILE pem])
# A library holding one definition of buildInformation(). The unit is written
# during the build, so the key may come from a file the build makes.
function(cadrelle_add_build_information target kind)
    cmake_parse_arguments(ARG "" "VERSION;FEED_URL;PUBLIC_KEY;PUBLIC_KEY_FILE;CA_FILE" "" ${ARGN})
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}/BuildInformation.cpp)
    add_custom_command(OUTPUT ${source}
        COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CADRELLE_BUILD_INFORMATION_TEMPLATE}
                -DOUTPUT=${source} -DVERSION=${ARG_VERSION} -DFEED_URL=${ARG_FEED_URL}
                -DPUBLIC_KEY=${ARG_PUBLIC_KEY} -DPUBLIC_KEY_FILE=${ARG_PUBLIC_KEY_FILE}
                -DCA_FILE=${ARG_CA_FILE} -P ${CADRELLE_BUILD_INFORMATION_SCRIPT}
        DEPENDS ${CADRELLE_BUILD_INFORMATION_TEMPLATE} ${CADRELLE_BUILD_INFORMATION_SCRIPT}
                ${ARG_PUBLIC_KEY_FILE}
        COMMENT "Writing the build information of ${target}"
        VERBATIM)
    add_library(${target} ${kind} ${source})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
endfunction()

# The program's own entry point linked with the command line. Libraries it
# doesn't call directly (FFmpeg and the widget libraries, which the video and
# application modules bring when needed) are not loaded at its start.
function(cadrelle_link_program target)
    target_link_libraries(${target} PRIVATE cadrelle_cli ${CMAKE_DL_LIBS})
    target_link_options(${target} PRIVATE -Wl,--as-needed)
    add_dependencies(${target} cadrelle_video_module cadrelle_compose_module)
    if(CADRELLE_GUI)
        # "app" starts the desktop application from its module; without
        # widgets it is not built.
        add_dependencies(${target} cadrelle_app_module cadrelle_playback_module)
        target_compile_definitions(${target} PRIVATE CADRELLE_WITH_APP)
    endif()
endfunction()

# cadrelle_add_program_variant(NAME VERSION v [FEED_URL url]
#     [PUBLIC_KEY base64 | PUBLIC_KEY_FILE file] [CA_FILE pem] [OUTPUT_DIRECTORY dir])
# Another `cadrelle` executable (target NAME, file OUTPUT_DIRECTORY/cadrelle)
# with its own build information. Its objects come first on the link line, so
# the default build information in the libraries is never pulled in.
function(cadrelle_add_program_variant name)
    cmake_parse_arguments(ARG "" "VERSION;FEED_URL;PUBLIC_KEY;PUBLIC_KEY_FILE;CA_FILE;OUTPUT_DIRECTORY"
                          "" ${ARGN})
    cadrelle_add_build_information(${name}_build_information OBJECT VERSION ${ARG_VERSION}
        FEED_URL ${ARG_FEED_URL} PUBLIC_KEY ${ARG_PUBLIC_KEY} PUBLIC_KEY_FILE ${ARG_PUBLIC_KEY_FILE}
        CA_FILE ${ARG_CA_FILE})
    add_executable(${name} ${PROJECT_SOURCE_DIR}/src/main.cpp)
    target_link_libraries(${name} PRIVATE ${name}_build_information)
    cadrelle_link_program(${name})
    if(NOT ARG_OUTPUT_DIRECTORY)
        set(ARG_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${name})
    endif()
    set_target_properties(${name} PROPERTIES OUTPUT_NAME cadrelle
                                             RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
    # The program opens its modules from lib/cadrelle beside it in a build tree.
    add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E create_symlink ${CMAKE_BINARY_DIR}/lib ${ARG_OUTPUT_DIRECTORY}/lib
        VERBATIM)
endfunction()

# cadrelle_add_program_module(TARGET FILE_NAME LIBRARY...)
# A module the program opens with dlopen from lib/cadrelle/ (beside its bin
# folder when installed, or in the build tree): libFILE_NAME.so made of the
# libraries given. Only its entry point is exported; the static libraries'
# symbols stay inside. It records only the shared libraries its code calls: a
# library that a static one merely mentions (FFmpeg, for the video library's
# format names) is not loaded with it.
function(cadrelle_add_program_module target file_name)
    add_library(${target} MODULE)
    target_link_libraries(${target} PRIVATE ${ARGN})
    target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined
                        -Wl,--as-needed)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${file_name}
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/cadrelle)
    install(TARGETS ${target} LIBRARY DESTINATION ${CADRELLE_INSTALL_TREE}/lib/cadrelle)
endfunction()
