# Makes each release archive again from the files CPack staged for it (CPACK_POST_BUILD_SCRIPTS),
# so that the same files give the same bytes on any machine, in any folder, at any time.
# CPack's own archive carries the builder's user, the order in which the file system happens
# to list a folder and the time each file was copied. Here instead: entries in name order,
# owned by 0/0, 0755 for folders and programs and 0644 for the rest, and one time for all:
# SOURCE_DATE_EPOCH when set, else the time of the source tree's last commit, else
# 1980-01-01 00:00 UTC (the earliest time a zip entry can hold).
# Tools: GNU tar and gzip for a tarball, Info-ZIP's zip for a zip (scripts/install-deps.sh).
cmake_minimum_required(VERSION 3.25)

function(release_time out origin)
  set(time "$ENV{SOURCE_DATE_EPOCH}")
  set(from "SOURCE_DATE_EPOCH")
  if(time STREQUAL "" AND CPACK_PADWRIGHT_SOURCE_DIR)
    # Only the commit of this very tree: not of a repository that merely holds a copy of it.
    execute_process(COMMAND git -C ${CPACK_PADWRIGHT_SOURCE_DIR} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    file(REAL_PATH "${CPACK_PADWRIGHT_SOURCE_DIR}" source)
    if(top AND top STREQUAL source)
      execute_process(COMMAND git -C ${source} log -1 --format=%ct
                      OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      set(from "the last commit")
    endif()
  endif()
  if(time STREQUAL "")
    set(time 315532800)
    set(from "no commit found")
  endif()
  if(NOT time MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not \"${time}\"")
  endif()
  set(${out} ${time} PARENT_SCOPE)
  set(${origin} "${from}" PARENT_SCOPE)
endfunction()

# Runs one command or a pipeline; every one of its commands must succeed.
function(run what)
  execute_process(${ARGN} RESULTS_VARIABLE results ERROR_VARIABLE err)
  foreach(rc ${results})
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${what} failed (${results}): ${err}")
    endif()
  endforeach()
endfunction()

if(CMAKE_HOST_WIN32)
  message(STATUS "${CPACK_PACKAGE_FILE_NAME}: left as CPack made it; the same bytes on every "
                 "build need GNU tar, gzip and zip, as scripts/release.sh has them on Linux")
  return()
endif()
release_time(time origin)
get_filename_component(parent ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} NAME)
run("chmod" COMMAND chmod -R u=rwX,go=rX ${CPACK_TEMPORARY_DIRECTORY})
run("touch" COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @${time} {} +)

# The one list of entries, in byte order of their names in the archive (a folder's ends in /),
# for either format.
file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE ${parent} ${CPACK_TEMPORARY_DIRECTORY}/*)
set(entries ${top}/)
foreach(entry ${found})
  if(IS_DIRECTORY ${parent}/${entry})
    string(APPEND entry /)
  endif()
  list(APPEND entries ${entry})
endforeach()
list(SORT entries)
list(JOIN entries "\n" listing)
file(WRITE ${parent}/${top}.entries "${listing}\n")

foreach(archive ${CPACK_PACKAGE_FILES})
  set(fresh ${archive}.fresh)
  file(REMOVE ${fresh})
  if(archive MATCHES "\\.tar\\.gz$")
    run("tar" COMMAND tar -C ${parent} --format=gnu --no-recursion --owner=0 --group=0
                      --numeric-owner --mtime=@${time} -T ${parent}/${top}.entries -cf -
              COMMAND gzip -9 -n OUTPUT_FILE ${fresh})
  elseif(archive MATCHES "\\.zip$")
    find_program(ZIP zip)
    if(NOT ZIP)
      message(FATAL_ERROR "zip is missing: bash scripts/install-deps.sh installs it")
    endif()
    # -X: no user, group or extra times; a zip entry's time is local time, so UTC here.
    run("zip" COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -q -@ ${fresh}
              WORKING_DIRECTORY ${parent} INPUT_FILE ${parent}/${top}.entries)
  else()
    message(FATAL_ERROR "no reproducible form for ${archive}")
  endif()
  file(RENAME ${fresh} ${archive})
endforeach()
message(STATUS "${top}: entries in name order, owner 0/0, time ${time} (${origin})")
