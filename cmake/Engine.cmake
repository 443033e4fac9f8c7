# The engine: model, processor, master, services and host adapters. It links
# no plug-in wrapper, so tests, benchmarks and tools use it without a host.
file(GLOB TAVO_ENGINE_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/model/*.cpp"
    "${CMAKE_SOURCE_DIR}/processor/*.cpp"
    "${CMAKE_SOURCE_DIR}/master/*.cpp"
    "${CMAKE_SOURCE_DIR}/services/*.cpp"
    "${CMAKE_SOURCE_DIR}/editor/*.cpp"
    "${CMAKE_SOURCE_DIR}/host/*.cpp")

add_library(tavo_engine STATIC ${TAVO_ENGINE_SOURCES})

target_include_directories(tavo_engine PUBLIC "${CMAKE_SOURCE_DIR}")

target_link_libraries(tavo_engine
    PUBLIC
        tavo_juce
        tavo_schemas
        Eigen3::Eigen
        kissfft::kissfft)

# The filters round every multiply and add separately; a fused multiply-add
# would round once and change the output.
target_compile_options(tavo_engine PRIVATE -Wall -Wextra -Wno-unused-parameter -ffp-contract=off)

set_target_properties(tavo_engine PROPERTIES
    VISIBILITY_INLINES_HIDDEN TRUE
    CXX_VISIBILITY_PRESET hidden)

# The analysis spends its time in Eigen's matrix product, which gains from
# the optimiser's full effort.
set_source_files_properties("${CMAKE_SOURCE_DIR}/master/GroupAnalysis.cpp" PROPERTIES COMPILE_OPTIONS "-O3")
