# Puts FILE into the product tree TREE as NAME, unless the tree brings a file of that name already
# (compared as Windows compares names, without regard to case).
file(GLOB top_level RELATIVE "${TREE}" "${TREE}/*")
string(TOLOWER "${NAME}" wanted)
foreach(entry IN LISTS top_level)
  string(TOLOWER "${entry}" folded)
  if(folded STREQUAL wanted)
    return()
  endif()
endforeach()
file(COPY_FILE "${FILE}" "${TREE}/${NAME}")
