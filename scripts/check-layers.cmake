# The layers of the program, bottom up, and the check every build runs:
# a source may include only headers of its own layer and of the layers
# below it, and no source outside a qt/ folder (or app/) may include a Qt
# header or a header of a qt/ folder. The qt/ folders that other qt/ folders
# share sit low (foundation/qt: the canvas on a QPainter, the text crossing,
# the fonts), so that the print windows and the other windows need not
# include each other. The port-settings dialog (devices/qt) sits over the
# devices it configures. The archive configurations' check (archive/check)
# compiles their conditions in the document language and runs at start-up
# and in the designer, below the archive it serves.
# Folders on one line are one layer: one may include the other, though not
# both ways round (no folder cycles, below). The print windows (output/qt)
# sit below the other windows, whose main program and designer open them.
# New code goes into the lowest layer whose headers it needs; where a lower
# layer needs a higher one, it declares an interface the higher one
# implements.
set(VELOMAR_LAYERS
  "platform"
  "foundation"
  "foundation/qt"
  "config"
  "devices"
  "devices/qt"
  "language"
  "archive/check"
  "models"
  "documents"
  "output"
  "archive"
  "output/qt"
  "ui/qt"
  "app")

# No two folders may include each other, directly or round a longer way: a
# cycle makes two folders one in all but name. Includes between a folder and
# a folder inside it do not count.

# The top folders of the layers, bottom up: the builds take their sources
# and the tests their test programs from these, so that a layer cannot be
# checked here and forgotten there.
set(VELOMAR_TOP_FOLDERS "")
foreach(layer IN LISTS VELOMAR_LAYERS)
  string(REPLACE " " ";" members "${layer}")
  foreach(folder IN LISTS members)
    string(REGEX REPLACE "/.*" "" top "${folder}")
    list(APPEND VELOMAR_TOP_FOLDERS "${top}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES VELOMAR_TOP_FOLDERS)

# Only run as a script: -DROOT=<source dir> -P check-layers.cmake
if(NOT CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
cmake_policy(VERSION 3.25)

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
    # A path shorter than the folder's name is simply not inside it.
    string(FIND "${path}/" "${folder}/" at)
    if(at EQUAL 0 AND len GREATER best_len)
      set(best "${folder}")
      set(best_len ${len})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Whether path is folder or lies inside it.
function(inside path folder out)
  string(FIND "${path}/" "${folder}/" at)
  if(at EQUAL 0)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Records that folder from includes a header of folder to, with the first
# include that shows it; a folder's own subfolders make no edge.
macro(folder_edge from to where)
  inside("${from}" "${to}" down)
  inside("${to}" "${from}" up)
  if(NOT down AND NOT up AND NOT "${to}" IN_LIST edges_${from})
    list(APPEND dirs "${from}" "${to}")
    list(APPEND edges_${from} "${to}")
    set(shown_${from}_${to} "${where}")
  endif()
endmacro()

set(upward "")
set(qt_in_core "")
set(dirs "")
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
      # A header of ours is held to the layers in angle brackets too; a
      # system header names no layer folder and passes.
      elseif(line MATCHES "include[ \t]*[<\"]([^>\"]+)[>\"]")
        set(target "${CMAKE_MATCH_1}")
        layer_of("${target}" theirs)
        if(theirs MATCHES "/qt$" AND NOT own MATCHES "/qt$" AND NOT own STREQUAL "app")
          list(APPEND qt_in_core "${f}: ${target}")
        endif()
        if(theirs AND rank_of_${theirs} GREATER rank_of_${own})
          list(APPEND upward "${f}: ${target} (${own} may not include ${theirs})")
        endif()
        if(theirs)
          get_filename_component(from "${f}" DIRECTORY)
          get_filename_component(to "${target}" DIRECTORY)
          folder_edge("${from}" "${to}" "${f}: ${target}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

# A source outside every layer folder would escape the check (ui/ itself
# holds only its qt/ windows): every source folder at the top, but the
# tests, benchmarks, scripts, demo data, build folders and the work trees
# of other branches checked out beside (wt/), lies in a layer.
set(unplaced "")
file(GLOB tops RELATIVE ${ROOT} ${ROOT}/*)
foreach(top IN LISTS tops)
  if(NOT IS_DIRECTORY ${ROOT}/${top} OR top MATCHES "^(tests|bench|scripts|demo|build.*|wt|[.].*)$")
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp)
  foreach(f IN LISTS files)
    layer_of("${f}" own)
    if(NOT own)
      list(APPEND unplaced "${f} lies in no layer")
    endif()
  endforeach()
endforeach()

# Every folder's reach, grown until nothing is added; an edge whose target
# reaches back closes a cycle.
list(REMOVE_DUPLICATES dirs)
foreach(d IN LISTS dirs)
  set(reach_${d} ${edges_${d}})
endforeach()
set(grown TRUE)
while(grown)
  set(grown FALSE)
  foreach(d IN LISTS dirs)
    foreach(next IN LISTS reach_${d})
      foreach(far IN LISTS edges_${next})
        if(NOT far IN_LIST reach_${d})
          list(APPEND reach_${d} "${far}")
          set(grown TRUE)
        endif()
      endforeach()
    endforeach()
  endforeach()
endwhile()
set(cycles "")
foreach(d IN LISTS dirs)
  foreach(next IN LISTS edges_${d})
    if(d IN_LIST reach_${next})
      list(APPEND cycles "${shown_${d}_${next}} (${next} leads back to ${d})")
    endif()
  endforeach()
endforeach()

if(upward OR qt_in_core OR cycles OR unplaced)
  string(REPLACE ";" "\n" upward "${upward}")
  string(REPLACE ";" "\n" unplaced "${unplaced}")
  string(REPLACE ";" "\n" qt_in_core "${qt_in_core}")
  string(REPLACE ";" "\n" cycles "${cycles}")
  message(FATAL_ERROR "Includes that break the layers:\n${upward}\n${qt_in_core}\n${cycles}\n${unplaced}")
endif()
