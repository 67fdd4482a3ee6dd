# Configures, builds and runs the outside project; any failure fails the test.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G Ninja
                        -DMEROVIA_TARGETS=${TARGETS}
                RESULT_VARIABLE result)
if(result)
    message(FATAL_ERROR "configuring the outside project failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} RESULT_VARIABLE result)
if(result)
    message(FATAL_ERROR "building the outside project failed")
endif()
execute_process(COMMAND ${BINARY}/outside OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(result OR NOT output STREQUAL "12.5\n")
    message(FATAL_ERROR "the outside program printed '${output}' (exit ${result})")
endif()
