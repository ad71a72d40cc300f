# The hardening Debian expects of a packaged program: checked libc calls in optimised builds and
# a read-only relocation table resolved at start.
if(NOT ONDREL_SANITIZE)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo>:_FORTIFY_SOURCE=2>)
    add_compile_options(-fstack-protector-strong)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
