# Runs one command in this folder and compares what it wrote with a file kept here.
#   cmake -DPROGRAM=... -DARGS="a;b" -DEXPECTED=name [-DOUTPUT=file] -DSCRATCH=dir -P compare.cmake
# Without OUTPUT the command's standard output is compared; with it, the file the command
# wrote (ARGS name it as @OUT@).
set(actual ${SCRATCH}/${EXPECTED})
get_filename_component(folder ${CMAKE_SCRIPT_MODE_FILE} DIRECTORY)
file(MAKE_DIRECTORY ${SCRATCH})
string(REPLACE "@OUT@" "${actual}" arguments "${ARGS}")
if(DEFINED OUTPUT)
  execute_process(COMMAND ${PROGRAM} ${arguments} WORKING_DIRECTORY ${folder})
else()
  execute_process(COMMAND ${PROGRAM} ${arguments} WORKING_DIRECTORY ${folder} OUTPUT_FILE ${actual})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${folder}/${EXPECTED} ${actual} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${EXPECTED} differs from what the program writes now (${actual})")
endif()
