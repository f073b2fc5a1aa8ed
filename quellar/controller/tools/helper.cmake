# quellar-helper, the root helper of QuellarController, and its request checking.

add_library(quellar_controller_system STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../core/helper_request.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../linux/helper_privileged.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../linux/system_files.cpp)

# What a user reads of the processor without rights.
add_library(quellar_controller_linux STATIC ${CMAKE_CURRENT_LIST_DIR}/../linux/user_readings.cpp)
target_link_libraries(quellar_controller_linux PUBLIC quellar_controller_core)
suite_target_defaults(quellar_controller_linux)
target_link_libraries(quellar_controller_system PUBLIC platform quellar_common)
suite_target_defaults(quellar_controller_system)

add_executable(quellar-helper ${CMAKE_CURRENT_LIST_DIR}/quellar_helper.cpp)
target_link_libraries(quellar-helper PRIVATE quellar_controller_system)
suite_target_defaults(quellar-helper)
add_dependencies(quellar-helper QuellarSwitcher)
set(QUELLAR_HELPER_DIR ${CMAKE_INSTALL_FULL_LIBEXECDIR}/notebook-suite)
install(TARGETS quellar-helper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/notebook-suite)

# polkit learns the helper's installed path from the policy.
configure_file(${PROJECT_SOURCE_DIR}/packaging/org.notebooksuite.quellar.policy.in
               ${CMAKE_BINARY_DIR}/packaging/org.notebooksuite.quellar.policy @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/org.notebooksuite.quellar.policy
        DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)
