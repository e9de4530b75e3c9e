# The compiler flags of the project's own code, carried by one interface
# library: the warnings (as errors) and Qt's strict string and connection
# definitions. cadrelle_use_project_flags() links it into every target the
# project builds, so third-party code built in the same tree would not get it.
add_library(cadrelle_warnings INTERFACE)
target_compile_options(cadrelle_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
target_compile_definitions(cadrelle_warnings INTERFACE
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

# Links cadrelle_warnings PRIVATE into every library and program defined in
# `directory` and the folders below it. Called once, after every folder has
# been added, so that no target can be left without the project's flags.
function(cadrelle_use_project_flags directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            target_link_libraries(${target} PRIVATE cadrelle_warnings)
        endif()
    endforeach()
    get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(folder IN LISTS folders)
        cadrelle_use_project_flags(${folder})
    endforeach()
endfunction()
