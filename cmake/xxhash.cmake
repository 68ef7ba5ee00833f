# XXH3 for the digests of file contents: kestrilo_use_xxhash(<target>) lets the
# target's own sources include <xxhash.h>.
function(kestrilo_use_xxhash target)
  if(CMAKE_CROSSCOMPILING)
    # Debian has no xxhash library for the target; its header alone holds the
    # whole implementation. Copied, so that no other host header comes along.
    find_file(XXHASH_HEADER xxhash.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    configure_file(${XXHASH_HEADER} ${CMAKE_CURRENT_BINARY_DIR}/xxhash/xxhash.h COPYONLY)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/xxhash)
    target_compile_definitions(${target} PRIVATE XXH_INLINE_ALL)
  else()
    find_path(XXHASH_INCLUDE_DIR xxhash.h REQUIRED)
    find_library(XXHASH_LIBRARY xxhash REQUIRED)
    target_include_directories(${target} PRIVATE ${XXHASH_INCLUDE_DIR})
    target_link_libraries(${target} PRIVATE ${XXHASH_LIBRARY})
  endif()
endfunction()
