# The container walkers' fuzz targets. Each fuzz_<name>.cpp is built twice:
# with libFuzzer when TESSALY_FUZZ is on (clang, see scripts/fuzz.sh), and
# always as <name>_corpus, a test that replays fuzz/corpus/<name> once.
foreach(name heif movie tiff matroska)
    add_executable(fuzz_${name}_corpus ${CMAKE_CURRENT_LIST_DIR}/fuzz_${name}.cpp ${CMAKE_CURRENT_LIST_DIR}/corpus_replay.cpp)
    target_link_libraries(fuzz_${name}_corpus PRIVATE tessaly_container Qt6::Core)
    if(TESSALY_BUILD_TESTS)
        add_test(NAME fuzz_${name}_corpus COMMAND fuzz_${name}_corpus ${CMAKE_CURRENT_LIST_DIR}/corpus/${name})
        set_tests_properties(fuzz_${name}_corpus PROPERTIES TIMEOUT 300 LABELS fuzz)
    endif()
    if(TESSALY_FUZZ)
        add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${name}.cpp)
        target_link_libraries(fuzz_${name} PRIVATE tessaly_container Qt6::Core)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    endif()
endforeach()
