# The layers of the program, bottom up, and the check every build runs:
# a source may include only headers of its own layer and of the layers
# below it, and no source outside a qt/ folder may include a Qt header.
# Folders on one line are one layer and may include each other.
# New code goes into the lowest layer whose headers it needs; where a lower
# layer needs a higher one, it declares an interface the higher one
# implements.
set(VELOMAR_LAYERS
  "platform"
  "foundation"
  "config"
  "language"
  "ui"
  "documents"
  "output"
  "archive"
  "ui/qt output/qt"
  "app")

# Only run as a script: -DROOT=<source dir> -P check-layers.cmake
if(NOT CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

# Folder -> rank; the longest matching folder decides a path's layer.
set(folders "")
set(rank 0)
foreach(layer IN LISTS VELOMAR_LAYERS)
  string(REPLACE " " ";" members "${layer}")
  foreach(folder IN LISTS members)
    list(APPEND folders "${folder}")
    set(rank_of_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

function(layer_of path out)
  set(best "")
  set(best_len 0)
  foreach(folder IN LISTS folders)
    string(LENGTH "${folder}" len)
    string(SUBSTRING "${path}" 0 ${len} head)
    string(SUBSTRING "${path}/" ${len} 1 next)
    if(head STREQUAL folder AND next STREQUAL "/" AND len GREATER best_len)
      set(best "${folder}")
      set(best_len ${len})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(upward "")
set(qt_in_core "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  foreach(f IN LISTS files)
    layer_of("${f}" own)
    if(NOT own STREQUAL folder)
      continue()  # a file of a deeper layer folder is checked with that one
    endif()
    file(STRINGS ${ROOT}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      if(line MATCHES "include[ \t]*[<\"](Q[A-Za-z]|Qt)" AND NOT own MATCHES "/qt$" AND NOT own STREQUAL "app")
        list(APPEND qt_in_core "${f}: ${line}")
      elseif(line MATCHES "include[ \t]*\"([^\"]+)\"")
        set(target "${CMAKE_MATCH_1}")
        layer_of("${target}" theirs)
        if(theirs AND rank_of_${theirs} GREATER rank_of_${own})
          list(APPEND upward "${f}: ${target} (${own} may not include ${theirs})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(upward OR qt_in_core)
  string(REPLACE ";" "\n" upward "${upward}")
  string(REPLACE ";" "\n" qt_in_core "${qt_in_core}")
  message(FATAL_ERROR "Includes that break the layers:\n${upward}\n${qt_in_core}")
endif()
