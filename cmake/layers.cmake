# A layer sees its own headers and those of the layers it links, never one above it: its include
# folder holds a single link, named as the layer, to the layer's sources, so that
# #include "operations/merge.h" is found only by the operations and what links them.
function(brikmux_layer target layer)
    set(root ${PROJECT_BINARY_DIR}/layers/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${layer} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
    add_library(Brikmux::${layer} ALIAS ${target})
endfunction()
