# Refuses an include that goes the wrong way between the folders:
#   common -> record_store -> entry -> statement -> import, outputs
# then pages (the printed statement painted with Qt) over outputs, and the
# programs on top (cli, ui) each use the core and pages but not each other.
# Run as: cmake -DSOURCE_DIR=... -P tools/CheckLayers.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed_common common)
set(allowed_record_store common record_store)
set(allowed_entry common record_store entry)
set(allowed_statement common record_store entry statement)
set(allowed_import common record_store entry statement import)
set(allowed_outputs common record_store entry statement outputs)
set(allowed_pages common record_store entry statement outputs pages)
set(allowed_cli common record_store entry statement import outputs pages cli)
set(allowed_ui common record_store entry statement import outputs pages ui)

set(problems "")
foreach(folder common record_store entry statement import outputs pages cli ui)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${folder})
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        string(APPEND problems "  ${shown}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Includes against the layers:\n${problems}")
endif()
message(STATUS "layers: every include goes downward")
