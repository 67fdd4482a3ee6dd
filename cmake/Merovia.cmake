# One helper per target kind: standard, warnings, output folders and CTest registration
# are set here and nowhere else.

set(MEROVIA_WARNINGS -Wall -Wextra)

include(GNUInstallDirs)
set(MEROVIA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/merovia)
set(MEROVIA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Merovia)

# merovia_add_library(<name> SOURCES ... [DEPENDS ...] [QT ...])
# Creates the shared library mrv_<name> (alias Merovia::<name>) for one folder of the tree.
function(merovia_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;QT;PRIVATE_DEPENDS" ${ARGN})
    set(target mrv_${name})
    add_library(${target} SHARED ${ARG_SOURCES})
    add_library(Merovia::${name} ALIAS ${target})
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE ${MEROVIA_WARNINGS})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>
        $<INSTALL_INTERFACE:${MEROVIA_INSTALL_INCLUDEDIR}>)
    foreach(qtmod IN LISTS ARG_QT)
        target_link_libraries(${target} PUBLIC Qt6::${qtmod})
    endforeach()
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
    set_target_properties(${target} PROPERTIES
        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib
        EXPORT_NAME ${name}
        INSTALL_RPATH "\$ORIGIN"
        AUTOMOC ON)
    set_property(GLOBAL APPEND PROPERTY MEROVIA_EXPORTED_TARGETS ${target})
    # Installed with its headers, which keep the folder they include each other by.
    install(TARGETS ${target} EXPORT MeroviaTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
        DESTINATION ${MEROVIA_INSTALL_INCLUDEDIR}/${folder}
        FILES_MATCHING PATTERN "*.h")
endfunction()

# merovia_add_executable(<name> SOURCES ... [DEPENDS ...])
function(merovia_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_features(${name} PRIVATE cxx_std_20)
    target_compile_options(${name} PRIVATE ${MEROVIA_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
        BUILD_RPATH "\$ORIGIN/../lib"
        ENABLE_EXPORTS ON
        AUTOMOC ON)
endfunction()

# merovia_add_addon(<PackageName> SOURCES ... [DEPENDS ...])
# An add-on package is a shared library named <PackageName>.bpl beside the executable.
function(merovia_add_addon name)
    cmake_parse_arguments(ARG "" "OUTPUT_DIRECTORY" "SOURCES;DEPENDS" ${ARGN})
    if(NOT ARG_OUTPUT_DIRECTORY)
        set(ARG_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
    endif()
    add_library(${name} MODULE ${ARG_SOURCES})
    target_compile_features(${name} PRIVATE cxx_std_20)
    target_compile_options(${name} PRIVATE ${MEROVIA_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        SUFFIX ".bpl"
        LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY}
        BUILD_RPATH "\$ORIGIN/../lib"
        AUTOMOC ON)
endfunction()

# merovia_add_test(<name> SOURCES ... [DEPENDS ...])
# A GoogleTest binary with the shared test main (offscreen QApplication), run by CTest.
function(merovia_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_features(${name} PRIVATE cxx_std_20)
    target_compile_options(${name} PRIVATE ${MEROVIA_WARNINGS})
    target_link_libraries(${name} PRIVATE mrv_testsupport GTest::gtest ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests
        BUILD_RPATH "\$ORIGIN/../lib"
        AUTOMOC ON)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()

# merovia_add_bench(<name> SOURCES ... [DEPENDS ...]): built into bin/, never run by CTest.
function(merovia_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    merovia_add_executable(${name} SOURCES ${ARG_SOURCES} DEPENDS ${ARG_DEPENDS})
endfunction()

# The offline e-invoice validation kit (schemas, EN 16931 and XRechnung rules, `validate`):
# MEROVIA_EINVOICE_KIT when given, else the environment's, else the kit beside the checkout,
# else the workplace's shared copy.
function(merovia_find_einvoice_kit)
    if(MEROVIA_EINVOICE_KIT)
        return()
    endif()
    get_filename_component(beside "${PROJECT_SOURCE_DIR}/../shared/einvoice" ABSOLUTE)
    set(kit "${beside}")
    foreach(candidate "$ENV{MEROVIA_EINVOICE_KIT}" "${beside}" "/work/shared/einvoice")
        if(candidate AND EXISTS "${candidate}/validate")
            set(kit "${candidate}")
            break()
        endif()
    endforeach()
    set(MEROVIA_EINVOICE_KIT "${kit}" CACHE PATH "Folder of the e-invoice validation kit")
endfunction()
