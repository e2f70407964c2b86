# The compiler flags of every target, set here once. Two kinds of target:
#   product  what ships (the core, the COM-server kit, the library's classes, the doctor):
#            the build type's optimisation and every warning;
#   test     test programs and test doubles: unoptimised and, on Windows, without debugging
#            information, which compiles them in half the time, links them in half the
#            time and changes nothing they check (a failing test is rebuilt with -g to be
#            debugged).
# The native build exists to run the core's tests under ASan and UBSan: everything there is
# instrumented and unoptimised, product and tests alike.
if(NOT WIN32)
    option(MORVEL_SANITIZE "Build the native core and its tests with ASan and UBSan" ON)
endif()
if(WIN32)
    # One runtime inside each program: nothing to ship beside the DLL and no DLL-hell.
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()
if(MORVEL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -O0)
    add_link_options(-fsanitize=address,undefined)
endif()

# morvel_product_flags(<target>...): flags of shipped code.
function(morvel_product_flags)
    foreach(t ${ARGN})
        target_compile_options(${t} PRIVATE -Wall -Wextra)
    endforeach()
endfunction()

# morvel_test_flags(<target>...): flags of test programs and test doubles (after the build
# type's, so that they win).
function(morvel_test_flags)
    set(flags -O0)
    if(WIN32)
        list(APPEND flags -g0)
    endif()
    foreach(t ${ARGN})
        target_compile_options(${t} PRIVATE ${flags})
    endforeach()
endfunction()
