# The self-deletion after an uninstall, with an impostor cmd in the program's folder and a
# test build that outlives its request for deletion.
add_executable(planted_program WIN32 planted_program.c)
if(QP_ARCH STREQUAL x64)
  add_test(NAME test_self_delete
    COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/test_self_delete.py
            --state ${QP_WINE_STATE} --setup ${QP_DIST_DIR}/SetupQuorvexPlenar.exe
            --lingering $<TARGET_FILE:setup_lingering> --planted $<TARGET_FILE:planted_program>
            --probe $<TARGET_FILE:screen_probe> --work ${CMAKE_CURRENT_BINARY_DIR}/self_delete)
  set_tests_properties(test_self_delete PROPERTIES
    FIXTURES_REQUIRED wine RESOURCE_LOCK display RUN_SERIAL ON TIMEOUT 300)
endif()

# Both programs of both targets run as the invoking user (host check of the binaries).
add_test(NAME program_manifests
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_manifests.sh ${CMAKE_SOURCE_DIR}/dist)
