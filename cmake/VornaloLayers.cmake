# Include roots: every header is named from the project root ("core/Utilities.h"), but a target
# sees only the folders of the targets it links. Each folder gets its own root in the build
# tree holding one link, include/<folder>/<folder> -> the source folder, and the folder's
# targets export that root. An include of a folder the target does not link fails to compile.
function(vornalo_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
