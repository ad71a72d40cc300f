# Compiler warnings and sanitizers shared by every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(ONDREL_WERROR)
    add_compile_options(-Werror)
endif()

if(ONDREL_SANITIZE)
    add_compile_options(-fsanitize=${ONDREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ONDREL_SANITIZE})
endif()
