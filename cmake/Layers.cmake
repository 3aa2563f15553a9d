# The layers of the code, and the build's guard on them. Each folder of src/ is a library
# compiled against a view of src/ that holds only the folders it may use: an #include of a
# folder above it (or beside it) finds no file, and the build fails there.
#
#   game:      state  <-  world, present           (the game knows no machine)
#   services:  system, overlay                      (files and signals; what is drawn over a frame)
#   machine:   platform  <-  system                 (window, headless, browser)
#   choices:   config  <-  state, system, platform  (command line, settings, keys, pad)
#   spine:     spine  <-  all of the above          (the frame's order, the loop, input)
#   above it:  recordings  <-  spine and below      (key scripts, recorder, playback)
#   programs:  app, tools, tests, bench, fuzz       (may use everything)

# The view of src/ for a layer: links to the folders named, in the build folder.
function(driftwing_view name)
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${ARGN})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${view}/${folder} SYMBOLIC)
  endforeach()
endfunction()

# driftwing_layer(FOLDER USES folders... SOURCES files... [LINKS targets...]): the library
# dw_FOLDER from src/FOLDER/ files, which may include FOLDER and the folders it USES.
function(driftwing_layer folder)
  cmake_parse_arguments(L "" "" "USES;SOURCES;LINKS" ${ARGN})
  driftwing_view(${folder} ${folder} ${L_USES})
  list(TRANSFORM L_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${folder}/)
  add_library(dw_${folder} STATIC ${L_SOURCES})
  target_include_directories(dw_${folder} PRIVATE ${CMAKE_BINARY_DIR}/layers/${folder})
  foreach(used ${L_USES})
    if(TARGET dw_${used})
      target_link_libraries(dw_${folder} PUBLIC dw_${used})
    endif()
  endforeach()
  target_link_libraries(dw_${folder} PUBLIC driftwing::allegro ${L_LINKS})
endfunction()

# A program, test or tool above every layer: it sees all of src/.
set(DRIFTWING_ALL_FOLDERS state world present system overlay platform config spine recordings)
driftwing_view(programs ${DRIFTWING_ALL_FOLDERS})
set(DRIFTWING_PROGRAM_INCLUDES ${CMAKE_BINARY_DIR}/layers/programs)
