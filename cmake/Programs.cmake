# The facts fixed when a program is built (its version, its update feed and
# the key that signs updates) are a value in a small header generated for each
# executable; its main() hands that value to the command line and the
# application. Everything else is the same static libraries, so a test build
# can make the same program under another version or feed by compiling main()
# again with another header.
set(CADRELLE_UPDATE_FEED_URL "" CACHE STRING "SUFeedURL: HTTPS address of the update feed")
set(CADRELLE_UPDATE_PUBLIC_KEY "" CACHE STRING
    "SUPublicEDKey: Base64 of the Ed25519 key that signs updates")
set(CADRELLE_UPDATE_CA_FILE "" CACHE STRING
    "PEM file of extra certificate authorities trusted for updates (tests only)")

set(CADRELLE_BUILD_INFORMATION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/ProgramBuildInformation.h.in)
set(CADRELLE_BUILD_INFORMATION_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/WriteBuildInformation.cmake)

# cadrelle_add_program(NAME VERSION v [FEED_URL url]
#     [PUBLIC_KEY base64 | PUBLIC_KEY_FILE file] [CA_FILE pem] [OUTPUT_DIRECTORY dir])
# A `cadrelle` executable (target NAME) with its own build information. With
# OUTPUT_DIRECTORY it is made as OUTPUT_DIRECTORY/cadrelle and opens the
# build tree's modules through a link lib/ beside it. The header is written
# during the build, so the key may come from a file the build makes.
#
# Libraries the program doesn't call directly (FFmpeg and the widget
# libraries, which the video and application modules bring when needed) are
# not loaded at its start.
function(cadrelle_add_program name)
    cmake_parse_arguments(ARG "" "VERSION;FEED_URL;PUBLIC_KEY;PUBLIC_KEY_FILE;CA_FILE;OUTPUT_DIRECTORY"
                          "" ${ARGN})
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${name}_build_information)
    set(header ${generated}/ProgramBuildInformation.h)
    add_custom_command(OUTPUT ${header}
        COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CADRELLE_BUILD_INFORMATION_TEMPLATE}
                -DOUTPUT=${header} -DVERSION=${ARG_VERSION} -DFEED_URL=${ARG_FEED_URL}
                -DPUBLIC_KEY=${ARG_PUBLIC_KEY} -DPUBLIC_KEY_FILE=${ARG_PUBLIC_KEY_FILE}
                -DCA_FILE=${ARG_CA_FILE} -P ${CADRELLE_BUILD_INFORMATION_SCRIPT}
        DEPENDS ${CADRELLE_BUILD_INFORMATION_TEMPLATE} ${CADRELLE_BUILD_INFORMATION_SCRIPT}
                ${ARG_PUBLIC_KEY_FILE}
        COMMENT "Writing the build information of ${name}"
        VERBATIM)
    cadrelle_add_executable(${name} SOURCES ${CADRELLE_PROGRAM_MAIN} ${header}
                            DEPENDS cadrelle_cli ${CMAKE_DL_LIBS})
    target_include_directories(${name} PRIVATE ${generated})
    target_link_options(${name} PRIVATE -Wl,--as-needed)
    add_dependencies(${name} cadrelle_video_module cadrelle_compose_module)
    if(CADRELLE_GUI)
        # "app" starts the desktop application from its module; without
        # widgets it is not built.
        add_dependencies(${name} cadrelle_app_module cadrelle_playback_module)
        target_compile_definitions(${name} PRIVATE CADRELLE_WITH_APP)
    endif()
    if(ARG_OUTPUT_DIRECTORY)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME cadrelle
                                                 RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
        # The program opens its modules from lib/cadrelle beside it in a
        # build tree.
        add_custom_command(TARGET ${name} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E create_symlink ${CMAKE_BINARY_DIR}/lib
                    ${ARG_OUTPUT_DIRECTORY}/lib
            VERBATIM)
    endif()
endfunction()

# cadrelle_add_program_module(TARGET FILE_NAME ENTRY symbol DEPENDS library...)
# A module the program opens with dlopen from lib/cadrelle/ (beside its bin
# folder when installed, or in the build tree): libFILE_NAME.so made of the
# libraries given. A version script exports its entry point ENTRY and nothing
# else: the code of the libraries, inline functions and resource
# initialisers included, stays inside. It records only the shared libraries
# its code calls: a library that a static one merely mentions (FFmpeg, for
# the video library's format names) is not loaded with it.
function(cadrelle_add_program_module target file_name)
    cmake_parse_arguments(ARG "" "ENTRY" "DEPENDS" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_ENTRY OR NOT ARG_DEPENDS)
        message(FATAL_ERROR "cadrelle_add_program_module(${target}): give ENTRY and DEPENDS")
    endif()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    file(CONFIGURE OUTPUT ${script} CONTENT "{\n  global: ${ARG_ENTRY};\n  local: *;\n};\n")
    add_library(${target} MODULE)
    target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} cadrelle_options)
    target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined
                        -Wl,--as-needed -Wl,--version-script=${script})
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${file_name}
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/cadrelle
        LINK_DEPENDS ${script})
    install(TARGETS ${target} LIBRARY DESTINATION ${CADRELLE_INSTALL_TREE}/lib/cadrelle)
endfunction()
