# Runs the engine example and the runner's --json on the same data file, in the source
# folder, and fails unless both print the same.
#   cmake -DEXAMPLE=... -DRUNNER=... [-DEMULATOR="cmd;args"] -DFILE=examples/example.tpx -P same_as_runner.cmake
get_filename_component(folder ${CMAKE_SCRIPT_MODE_FILE} DIRECTORY)
get_filename_component(root ${folder} DIRECTORY)
execute_process(COMMAND ${EMULATOR} ${EXAMPLE} ${FILE} WORKING_DIRECTORY ${root}
                OUTPUT_VARIABLE example RESULT_VARIABLE example_status)
execute_process(COMMAND ${EMULATOR} ${RUNNER} --json ${FILE} WORKING_DIRECTORY ${root}
                OUTPUT_VARIABLE runner RESULT_VARIABLE runner_status)
if(NOT example_status EQUAL 0 OR NOT runner_status EQUAL 0)
  message(FATAL_ERROR "exit status: example ${example_status}, runner ${runner_status}")
endif()
if(NOT example STREQUAL runner OR example STREQUAL "")
  message(FATAL_ERROR "the example printed\n${example}\nthe runner printed\n${runner}")
endif()
