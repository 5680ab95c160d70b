# The crash test kills a child that logs and rewrites; the child is built
# here and its path handed to the tests.
add_executable(log_crash_child ${CMAKE_CURRENT_SOURCE_DIR}/log_crash_child.cpp)
target_link_libraries(log_crash_child PRIVATE corvatta_logger)
set_target_properties(log_crash_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(logger_tests log_crash_child)
target_compile_definitions(logger_tests
  PRIVATE CORVATTA_LOG_CRASH_CHILD="$<TARGET_FILE:log_crash_child>")
