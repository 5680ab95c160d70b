# Fails when a source file includes from a folder to its right in the layer
# order: station and platform at the bottom, then serial, keyer, practice and
# logger; clock stands on the platform alone. Tests and benchmarks may include
# anything. Run as `cmake -DROOT=<source folder> -P check_layers.cmake`.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED ROOT)
  message(FATAL_ERROR "check_layers: ROOT is not set")
endif()

set(allowed_station station)
set(allowed_platform platform)
set(allowed_serial station platform serial)
set(allowed_keyer station platform serial keyer)
set(allowed_practice station platform serial keyer practice)
set(allowed_logger station platform serial keyer practice logger)
set(allowed_clock platform clock)
set(layers station platform serial keyer practice logger clock)

set(violations "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" folder "${line}")
      # Only the project's own folders are layers; anything else is not ours to judge.
      if(folder IN_LIST layers AND NOT folder IN_LIST allowed_${layer})
        string(STRIP "${line}" line)
        string(APPEND violations "\n  ${source}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layer order (station, platform -> serial -> keyer"
                      " -> practice -> logger; platform -> clock):${violations}")
endif()
