# Compiler and linker settings shared by the project's own targets. Third-party
# code (GoogleTest) does not get them, so its warnings are not errors.
include_guard(GLOBAL)

function(tovacon_set_options target)
    target_compile_features(${target} PRIVATE cxx_std_17)
    target_compile_options(${target} PRIVATE
        $<$<CXX_COMPILER_ID:MSVC>:/W4 /WX /permissive- /utf-8>
        $<$<NOT:$<CXX_COMPILER_ID:MSVC>>:-Wall -Wextra -Werror>)
    # ANSI program: UNICODE is never defined.
    target_compile_definitions(${target} PRIVATE
        STRICT _WIN32_WINNT=0x0601 WINVER=0x0601 _CRT_SECURE_NO_WARNINGS)
    # Only system DLLs at run time: the compiler's runtime is linked in.
    target_link_options(${target} PRIVATE $<$<NOT:$<CXX_COMPILER_ID:MSVC>>:-static>)
endfunction()
