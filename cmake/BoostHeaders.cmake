# Boost is used header-only (PropertyTree). The cross compiler must not see the
# host's /usr/include as a whole, so only the boost folder is exposed to it,
# through a folder of its own in the build tree.
find_path(MQ_BOOST_ROOT boost/property_tree/ptree.hpp
  PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(MQ_BOOST_SHIM ${PROJECT_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${MQ_BOOST_SHIM})
file(CREATE_LINK ${MQ_BOOST_ROOT}/boost ${MQ_BOOST_SHIM}/boost SYMBOLIC)
add_library(mq_boost_headers INTERFACE)
target_include_directories(mq_boost_headers SYSTEM INTERFACE ${MQ_BOOST_SHIM})
target_compile_definitions(mq_boost_headers INTERFACE BOOST_ALL_NO_LIB)
