# The hardening Debian expects of a packaged program: checked libc calls in optimised builds and
# a read-only relocation table resolved at start. The relocation flags are ELF linker options;
# mingw's linker makes Windows executables relocatable with a non-executable stack by itself.
if(NOT ONDREL_SANITIZE)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo>:_FORTIFY_SOURCE=2>)
    add_compile_options(-fstack-protector-strong)
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
        add_link_options(-Wl,-z,relro -Wl,-z,now)
    elseif(MINGW)
        # mingw keeps the stack guard and the checked calls in libssp: linked in statically,
        # so that no further runtime DLL has to travel with the program.
        string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -Wl,-Bstatic -lssp -Wl,-Bdynamic")
    endif()
endif()
