# One place for the compiler flags every target of the project gets.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)
add_compile_definitions(QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT
                        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(CADRELLE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
# GCC 12 at -O3 reports out-of-bounds accesses inside libstdc++ containers that
# cannot happen (std::map and std::vector inlined through nlohmann::json); these
# three checks are left to the sanitizer build instead.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
endif()
