# CLI11 and nlohmann-json, the quellan tool's header-only libraries. As with
# Boost, the cross compiler must not see the host's /usr/include as a whole, so
# only their two folders are exposed, through a folder of the build tree's own.
find_path(MQ_CLI11_ROOT CLI/CLI.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(MQ_JSON_ROOT nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(MQ_TOOL_HEADERS_SHIM ${PROJECT_BINARY_DIR}/tool-include)
file(MAKE_DIRECTORY ${MQ_TOOL_HEADERS_SHIM})
file(CREATE_LINK ${MQ_CLI11_ROOT}/CLI ${MQ_TOOL_HEADERS_SHIM}/CLI SYMBOLIC)
file(CREATE_LINK ${MQ_JSON_ROOT}/nlohmann ${MQ_TOOL_HEADERS_SHIM}/nlohmann SYMBOLIC)
add_library(mq_tool_headers INTERFACE)
target_include_directories(mq_tool_headers SYSTEM INTERFACE ${MQ_TOOL_HEADERS_SHIM})
