# Compiler settings shared by every target of the project.

# Zero warnings on both targets; the build fails on any.
add_compile_options(-Wall -Wextra -Werror)
if(QP_ARCH STREQUAL x86)
  # Every double operation rounded to double, as on x86_64.
  add_compile_options(-msse2 -mfpmath=sse)
  # System functions are called through their import library's thunk, not straight
  # through the import slot. The i686 linker drops the thunk of an import that nothing
  # calls by its plain name, and in a delay-load import library the slot's first value
  # is that thunk: the slot would be 0 and the first call would jump to address 0
  # (qp_delay_load checks the link for it).
  add_compile_definitions(DECLSPEC_IMPORT=)
endif()
# The binaries import Windows system DLLs only.
add_link_options(-static)
# No link time in the headers: two builds of the same sources give the same bytes, so a
# published checksum can be checked against a build of one's own.
add_link_options(-Wl,--no-insert-timestamp)

# qp_system_code(target): the program's own code, small and without exceptions.
function(qp_system_code target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
    -ffunction-sections -fdata-sections)
  if(QP_ARCH STREQUAL x86)
    # No exceptions, so no DWARF unwind tables: on i686 their .eh_frame entries keep
    # every function alive through --gc-sections.
    target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
  endif()
  target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
endfunction()

# qp_deliverable(target): a shipped binary; stripped, unused sections dropped, signed
# when the build is a release's (tools/sign.sh), copied to dist/<arch>/. The library and
# the application are linked, and so signed, before the setup program takes them in.
function(qp_deliverable target)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/tools/sign.sh $<TARGET_FILE:${target}>
    VERBATIM)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QP_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${QP_DIST_DIR}/
    VERBATIM)
endfunction()

# qp_delay_load(target): the program imports only kernel32 and msvcrt, which every system
# takes from its own folder before the program's first line runs. The other system DLLs
# are loaded at the first call into each, once the program has restricted the DLL search
# (runtime/dll_safety.h): Wine knows no DLLs that are always taken from the system folder,
# and its user32 imports version.dll and zlib1.dll by name, which it would look for beside
# the program. For the target, "-luser32" and the like find delay-load import libraries
# made from the toolchain's own (tools/delay-import-lib.sh). Their x64 stubs do not keep
# xmm0-xmm3 across the loading call: no function with floating-point arguments may be
# called through them.
set(QP_DELAY_LOADED user32 gdi32 advapi32 shell32 ole32 oleaut32 oleacc)
set(QP_DELAY_LIB_DIR ${CMAKE_BINARY_DIR}/delayload)
set(QP_DELAY_LIBS)
foreach(dll ${QP_DELAY_LOADED})
  add_custom_command(OUTPUT ${QP_DELAY_LIB_DIR}/lib${dll}.a
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QP_DELAY_LIB_DIR}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/delay-import-lib.sh ${CMAKE_C_COMPILER} ${CMAKE_NM}
            ${CMAKE_DLLTOOL} ${QP_ARCH} ${dll} ${QP_DELAY_LIB_DIR}/lib${dll}.a
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/delay-import-lib.sh
    COMMENT "Delay-load import library of ${dll}.dll"
    VERBATIM)
  list(APPEND QP_DELAY_LIBS ${QP_DELAY_LIB_DIR}/lib${dll}.a)
endforeach()
add_custom_target(delay_import_libs DEPENDS ${QP_DELAY_LIBS})

function(qp_delay_load target)
  add_dependencies(${target} delay_import_libs)
  # By a path relative to the folder the link runs in: the linker orders import tables by
  # the libraries' file names, so an absolute path would make the order, and the bytes,
  # depend on where the build folder lies.
  file(RELATIVE_PATH delay_dir ${CMAKE_CURRENT_BINARY_DIR} ${QP_DELAY_LIB_DIR})
  target_link_options(${target} BEFORE PRIVATE -L${delay_dir})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QP_DELAY_LIBS})
  # The link fails when it dropped the thunk of a delay-loaded function: that function's
  # slot would hold 0 in the program.
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-delay-map.sh ${map} ${QP_DELAY_LIB_DIR}
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# qp_benchmark(target ...): programs that print figures, not tests; left out of the
# default build, built by `cmake --build <dir> --target benchmarks` (./bench.sh).
add_custom_target(benchmarks)
function(qp_benchmark)
  set_target_properties(${ARGN} PROPERTIES EXCLUDE_FROM_ALL ON)
  add_dependencies(benchmarks ${ARGN})
endfunction()

# qp_add_test(name SOURCES ... [LIBS ...] [GUI] [TIMEOUT n]): a doctest program run
# under Wine. GUI tests share the virtual display, so they run one at a time.
function(qp_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE doctest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
  target_precompile_headers(${name} REUSE_FROM test_pch)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${QP_TIMEOUT_SCALE}")
  # Pass on doctest's own verdict only: a program that Wine ends from outside
  # (wineserver -k) exits with 0 too.
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT ${T_TIMEOUT}
                       PASS_REGULAR_EXPRESSION "Status: SUCCESS!")
  if(T_GUI)
    # Real input and screen reads on the harness's display: one such test at a time.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()
