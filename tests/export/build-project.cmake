# Installs this build into a fresh prefix, then configures, builds and runs the outside
# project against that install tree and against the build tree; any failure fails the test.
file(REMOVE_RECURSE ${WORK}/install ${WORK}/installed ${WORK}/buildtree)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${MEROVIA_BUILD} --prefix ${WORK}/install
                OUTPUT_QUIET RESULT_VARIABLE result)
if(result)
    message(FATAL_ERROR "installing the build failed")
endif()

function(build_outside binary package_dir)
    # No hint but where the package is: Qt, SQLite and zlib are the package's business.
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${binary} -G Ninja
                            -DCMAKE_BUILD_TYPE=Release -DMerovia_DIR=${package_dir}
                    RESULT_VARIABLE result)
    if(result)
        message(FATAL_ERROR "configuring the outside project against ${package_dir} failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${binary} RESULT_VARIABLE result)
    if(result)
        message(FATAL_ERROR "building the outside project against ${package_dir} failed")
    endif()
    execute_process(COMMAND ${binary}/outside OUTPUT_VARIABLE output RESULT_VARIABLE result)
    if(result OR NOT output STREQUAL "12.5\nok\n")
        message(FATAL_ERROR "the outside program printed '${output}' (exit ${result})")
    endif()
endfunction()

include(GNUInstallDirs)
build_outside(${WORK}/installed ${WORK}/install/${CMAKE_INSTALL_LIBDIR}/cmake/Merovia)
build_outside(${WORK}/buildtree ${MEROVIA_BUILD})
