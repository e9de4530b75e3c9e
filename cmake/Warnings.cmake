# One place for the compiler flags every target of the project gets.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)
add_compile_definitions(QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT
                        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(CADRELLE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
