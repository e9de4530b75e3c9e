# The compiler flags of the project's own code, carried by one interface
# library: the warnings (as errors) and Qt's strict string and connection
# definitions. Every library, program and module the project defines links it
# through the functions below, so third-party code built in the same tree
# would not get it.
add_library(cadrelle_options INTERFACE)
target_compile_options(cadrelle_options INTERFACE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
target_compile_definitions(cadrelle_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# The sanitizers instrument everything compiled and linked, the test framework
# and helpers included, so their flags stay global.
if(CADRELLE_SANITIZE AND CADRELLE_TSAN)
    message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot share a build: "
                        "configure CADRELLE_SANITIZE and CADRELLE_TSAN in separate folders")
endif()
if(CADRELLE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(CADRELLE_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# cadrelle_add_library(NAME [STATIC|OBJECT] SOURCES file... [DEPENDS target...]
#     [PRIVATE_DEPENDS target...])
# A library of the project (STATIC unless OBJECT is given) made of the sources
# named, relative to the calling folder. DEPENDS are linked publicly, so what
# links NAME links them too; PRIVATE_DEPENDS only into NAME itself.
function(cadrelle_add_library name)
    cmake_parse_arguments(ARG "STATIC;OBJECT" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_SOURCES)
        message(FATAL_ERROR "cadrelle_add_library(${name}): give SOURCES, DEPENDS and "
                            "PRIVATE_DEPENDS only (got ${ARG_UNPARSED_ARGUMENTS})")
    endif()
    set(kind STATIC)
    if(ARG_OBJECT)
        set(kind OBJECT)
    endif()
    add_library(${name} ${kind} ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS}
                          PRIVATE ${ARG_PRIVATE_DEPENDS} cadrelle_options)
endfunction()

# cadrelle_add_executable(NAME SOURCES file... [DEPENDS target...])
# A program of the project (a tool, a test or a benchmark) made of the sources
# named and linked with DEPENDS.
function(cadrelle_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_SOURCES)
        message(FATAL_ERROR "cadrelle_add_executable(${name}): give SOURCES and DEPENDS only "
                            "(got ${ARG_UNPARSED_ARGUMENTS})")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} cadrelle_options)
endfunction()
