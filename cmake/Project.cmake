# Compiler settings shared by every target of the project.

# Zero warnings on both targets; the build fails on any.
add_compile_options(-Wall -Wextra -Werror)
if(QP_ARCH STREQUAL x86)
  # Every double operation rounded to double, as on x86_64.
  add_compile_options(-msse2 -mfpmath=sse)
endif()
# The binaries import Windows system DLLs only.
add_link_options(-static)

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

# qp_deliverable(target): a shipped binary; stripped, unused sections dropped, copied
# to dist/<arch>/.
function(qp_deliverable target)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QP_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${QP_DIST_DIR}/
    VERBATIM)
endfunction()

# qp_add_test(name SOURCES ... [LIBS ...] [GUI] [TIMEOUT n]): a doctest program run
# under Wine. GUI tests share the virtual display, so they run one at a time.
function(qp_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE doctest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT})
  if(T_GUI)
    # Real input and screen reads: alone on the display, and alone on the processor,
    # so that a busy machine cannot delay input past a test's patience.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display RUN_SERIAL ON)
  endif()
endfunction()
