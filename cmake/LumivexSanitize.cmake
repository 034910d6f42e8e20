# LUMIVEX_SANITIZE builds everything (libraries, programs, tests) with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any report ends the process
# with a failure, so a test that trips a sanitizer fails. Use a build folder of
# its own: the objects are not interchangeable with a normal build's.
option(LUMIVEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(LUMIVEX_SANITIZE)
    set(sanitizerFlags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${sanitizerFlags})
    add_link_options(${sanitizerFlags})
    # Leak detection is off: Qt, fontconfig and the platform plugins keep
    # process-wide allocations until exit on purpose, and the program's own
    # singletons (translator, store, scheduler) are never destroyed by design.
    # Every other report aborts the process. Strict string checks stay off:
    # libxkbcommon-x11 hands strndup() a name that is exactly as long as its
    # buffer and not terminated, which strndup allows, and the strict check
    # would abort every test on a real X server before it reaches our code.
    set(LUMIVEX_SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=0"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:abort_on_error=1")
endif()

# LUMIVEX_FUZZ builds the libFuzzer programs of fuzz/ (scripts/fuzz). Every
# library is instrumented for coverage; use clang and a build folder of its own.
option(LUMIVEX_FUZZ "Build the libFuzzer programs (clang only)" OFF)

if(LUMIVEX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "LUMIVEX_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
