# The rooms of app/ and the arrows between them, as one table. A room may use
# the rooms its line names and, through them, the rooms those name: the
# arrows point inward, from the window and the command line through the
# subsystems to platform and core. Nothing else decides it:
#   - a room's libraries link the rooms of its line (PRIVATE), and nothing
#     else of app/;
#   - a room's include folders are those of the rooms it may use, so the
#     header of any other room does not resolve there;
#   - configuring reads every #include "<room>/..." of a room (and of cli/)
#     and refuses one the table does not allow, and refuses a link between
#     rooms that is not in it.
# A room not in the table cannot be built.
set(FARROWDALE_ARROWS
  "core:"
  "platform:core"
  "sites:platform"
  "browser:sites"
  "submit:sites"
  "update:platform"
  "reports:platform"
  "sitemap:sites"
  "audit:sites"
  "discover:sites,sitemap,audit"
  "publish:sites,sitemap,audit,submit"
  "window:sites,browser,submit,update,reports,sitemap,audit,discover,publish"
  "cli:sites,browser,submit,update,reports,sitemap,audit,discover,publish"
  "render:browser")

set(_farrowdale_rooms "")
foreach(_line ${FARROWDALE_ARROWS})
  string(REGEX MATCH "^([a-z]+):(.*)$" _ok "${_line}")
  list(APPEND _farrowdale_rooms ${CMAKE_MATCH_1})
  string(REPLACE "," ";" _to "${CMAKE_MATCH_2}")
  set(_farrowdale_arrows_${CMAKE_MATCH_1} ${_to})
endforeach()

# The rooms room names directly.
function(farrowdale_arrows room out)
  if(NOT room IN_LIST _farrowdale_rooms)
    message(FATAL_ERROR "The room '${room}' has no line in cmake/Layering.cmake")
  endif()
  set(${out} ${_farrowdale_arrows_${room}} PARENT_SCOPE)
endfunction()

# Every room room may use: its arrows and theirs, and so on.
function(farrowdale_allowed_rooms room out)
  farrowdale_arrows(${room} todo)
  set(seen "")
  while(todo)
    list(POP_FRONT todo r)
    if(r IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${r})
    farrowdale_arrows(${r} next)
    list(APPEND todo ${next})
  endwhile()
  if(room IN_LIST seen)
    message(FATAL_ERROR "The arrows of cmake/Layering.cmake run in a circle through '${room}'")
  endif()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The include folder of one room: a folder of the build tree that holds the
# room's source folder under its own name, so that "<room>/File.h" resolves
# there and nothing of another room does.
function(farrowdale_room_include_dir room out)
  set(dir ${CMAKE_BINARY_DIR}/room-includes/${room})
  if(NOT EXISTS ${dir}/${room})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/app/${room} ${dir}/${room} SYMBOLIC)
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# The include folders of every room, for what is no room (the tests, the
# benchmarks): every room's headers resolve there, and each links what it uses.
function(farrowdale_all_room_include_dirs out)
  set(dirs "")
  foreach(r ${_farrowdale_rooms})
    if(EXISTS ${CMAKE_SOURCE_DIR}/app/${r})
      farrowdale_room_include_dir(${r} dir)
      list(APPEND dirs ${dir})
    endif()
  endforeach()
  set(${out} ${dirs} PARENT_SCOPE)
endfunction()

# Gives target (a library of room, or the command line) the include folders
# of room and of every room it may use, also to whatever links target (its
# headers may include theirs), and links it, PRIVATE, to the logic libraries
# of the rooms room names.
function(farrowdale_room_usage target room)
  farrowdale_allowed_rooms(${room} allowed)
  set(dirs "")
  foreach(r ${room} ${allowed})
    if(EXISTS ${CMAKE_SOURCE_DIR}/app/${r})
      farrowdale_room_include_dir(${r} dir)
      list(APPEND dirs ${dir})
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${dirs})
  else()
    target_include_directories(${target} PUBLIC ${dirs})
  endif()
  farrowdale_arrows(${room} arrows)
  foreach(r ${arrows})
    target_link_libraries(${target} PRIVATE farrowdale_${r})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY FARROWDALE_ROOM_TARGETS "${target}=${room}")
endfunction()

# The libraries that draw on the screen: no logic library, and not the
# command line, may link one, directly or through another library.
set(_farrowdale_gui_targets Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Multimedia
    Qt6::WebEngineCore Qt6::WebEngineWidgets listcaster farrowdale_platform_widgets)

function(_farrowdale_link_closure target out)
  set(seen ${${out}})
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    if(t IN_LIST seen OR NOT TARGET ${t})
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(type ${t} TYPE)
    set(props INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND props LINK_LIBRARIES)
    endif()
    foreach(p ${props})
      get_target_property(libs ${t} ${p})
      foreach(l ${libs})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
        if(l AND NOT l MATCHES "NOTFOUND$")
          list(APPEND todo ${l})
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The room a library of app/ belongs to ("" for any other target).
function(_farrowdale_room_of lib out)
  set(room "")
  if(lib MATCHES "^farrowdale_([a-z]+)(_widgets)?$" AND CMAKE_MATCH_1 IN_LIST _farrowdale_rooms)
    set(room ${CMAKE_MATCH_1})
  endif()
  set(${out} "${room}" PARENT_SCOPE)
endfunction()

# Run once every target exists.
function(farrowdale_check_layering)
  get_property(logic GLOBAL PROPERTY FARROWDALE_LOGIC_LIBRARIES)
  foreach(lib farrowdale_core farrowdale_platform ${logic} farrowdale-cli)
    if(NOT TARGET ${lib})
      continue()
    endif()
    set(closure "")
    _farrowdale_link_closure(${lib} closure)
    foreach(gui ${_farrowdale_gui_targets})
      if(gui IN_LIST closure)
        message(FATAL_ERROR "${lib} must not link ${gui}: it is logic, without widgets")
      endif()
    endforeach()
  endforeach()

  get_property(targets GLOBAL PROPERTY FARROWDALE_ROOM_TARGETS)
  set(scanned "")
  foreach(entry ${targets})
    string(REGEX MATCH "^(.*)=([a-z]+)$" _ok "${entry}")
    set(target ${CMAKE_MATCH_1})
    set(room ${CMAKE_MATCH_2})
    farrowdale_allowed_rooms(${room} allowed)

    # Links: only to the room's own libraries and those of the rooms it may
    # use (a logic library reaching widgets is refused above).
    get_target_property(libs ${target} LINK_LIBRARIES)
    foreach(l ${libs})
      _farrowdale_room_of("${l}" other)
      if(NOT other OR other STREQUAL room)
        continue()
      endif()
      if(NOT other IN_LIST allowed)
        message(FATAL_ERROR
          "${target} links ${l}, but the ${room} room may not use the ${other} room "
          "(the arrows are in cmake/Layering.cmake)")
      endif()
    endforeach()

    # Includes: every "<room>/..." a file of the room names.
    if(room IN_LIST scanned)
      continue()
    endif()
    list(APPEND scanned ${room})
    if(room STREQUAL "cli")
      set(folder ${CMAKE_SOURCE_DIR}/cli)
    else()
      set(folder ${CMAKE_SOURCE_DIR}/app/${room})
    endif()
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
    foreach(f ${files})
      file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
      foreach(line ${includes})
        string(REGEX MATCH "\"([a-z]+)/" _ok "${line}")
        set(other ${CMAKE_MATCH_1})
        if(other STREQUAL room OR NOT other IN_LIST _farrowdale_rooms OR other IN_LIST allowed)
          continue()
        endif()
        file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${f})
        string(STRIP "${line}" line)
        message(FATAL_ERROR
          "${shown}: ${line}: the ${room} room may not use the ${other} room "
          "(the arrows are in cmake/Layering.cmake)")
      endforeach()
    endforeach()
  endforeach()
endfunction()
