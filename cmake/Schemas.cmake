# The state schemas are compiled by protoc at build time (full runtime, not lite).
set(TAVO_SCHEMA_OUT "${CMAKE_BINARY_DIR}/schemas")
file(MAKE_DIRECTORY "${TAVO_SCHEMA_OUT}/generated" "${TAVO_SCHEMA_OUT}/BrellicLib")

set(TAVO_PARAMS_PROTO "${CMAKE_SOURCE_DIR}/BrellicLib/Params.proto")
set(TAVO_MODEL_PROTO "${CMAKE_SOURCE_DIR}/model/Tavo.proto")

add_custom_command(
    OUTPUT "${TAVO_SCHEMA_OUT}/BrellicLib/Params.pb.cc" "${TAVO_SCHEMA_OUT}/BrellicLib/Params.pb.h"
    COMMAND protobuf::protoc
        -I "${CMAKE_SOURCE_DIR}/BrellicLib"
        --cpp_out "${TAVO_SCHEMA_OUT}/BrellicLib"
        "${TAVO_PARAMS_PROTO}"
    DEPENDS "${TAVO_PARAMS_PROTO}" protobuf::protoc
    COMMENT "Compiling Params.proto"
    VERBATIM)

add_custom_command(
    OUTPUT "${TAVO_SCHEMA_OUT}/generated/Tavo.pb.cc" "${TAVO_SCHEMA_OUT}/generated/Tavo.pb.h"
    COMMAND protobuf::protoc
        -I "${CMAKE_SOURCE_DIR}/BrellicLib"
        -I "${CMAKE_SOURCE_DIR}/model"
        --cpp_out "${TAVO_SCHEMA_OUT}/generated"
        "${TAVO_MODEL_PROTO}"
    DEPENDS "${TAVO_MODEL_PROTO}" "${TAVO_PARAMS_PROTO}" protobuf::protoc
    COMMENT "Compiling Tavo.proto"
    VERBATIM)

add_library(tavo_schemas STATIC
    "${TAVO_SCHEMA_OUT}/BrellicLib/Params.pb.cc"
    "${TAVO_SCHEMA_OUT}/generated/Tavo.pb.cc")

target_include_directories(tavo_schemas SYSTEM PUBLIC
    "${TAVO_SCHEMA_OUT}/BrellicLib"
    "${TAVO_SCHEMA_OUT}/generated")

# Debian's runtime is a shared library (its static archive cannot go into a
# shared object), so every Tavo binary in a process shares one descriptor
# pool: a host must not load the LV2 and the VST3 build into one process.
target_link_libraries(tavo_schemas PUBLIC protobuf::libprotobuf)

# Only the plug-in's entry points leave its binaries.
set_target_properties(tavo_schemas PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN TRUE)
