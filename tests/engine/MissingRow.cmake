# A table with a row per chip type does not compile with a row missing.
#
# cmake -DCOMPILE_COMMANDS=<build>/compile_commands.json
#       -DSOURCE=<file with the table> -DUNIT=<translation unit whose flags compile it>
#       -DTABLE=<regex of the line that opens the table> -DROWS=<rows it has>
#       -DEXPECT=<regex of the compiler's error for a missing row>
#       -DWORK_DIR=<scratch folder> -P MissingRow.cmake
#
# Compiles (syntax only, with UNIT's command from the build) a copy of
# SOURCE as it is, which must pass, and copies with the first, a middle and
# the last row taken out, each of which must fail with an error matching
# EXPECT. A header is compiled through a unit of its own that includes the
# copy. A table's rows begin with "    {" inside it; a row ends where the
# next line begins with four spaces and no fifth, or with "}".
cmake_minimum_required(VERSION 3.25)

foreach(var COMPILE_COMMANDS SOURCE UNIT TABLE ROWS EXPECT WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MissingRow.cmake needs -D${var}=...")
  endif()
endforeach()

# --- the compile command of UNIT ------------------------------------------------------

if(NOT EXISTS "${COMPILE_COMMANDS}")
  message(FATAL_ERROR "no ${COMPILE_COMMANDS}: configure the build first")
endif()
file(READ "${COMPILE_COMMANDS}" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(command "")
foreach(i RANGE ${last})
  string(JSON file GET "${commands}" ${i} file)
  if(file STREQUAL UNIT)
    string(JSON command GET "${commands}" ${i} command)
    string(JSON directory GET "${commands}" ${i} directory)
    break()
  endif()
endforeach()
if(command STREQUAL "")
  message(FATAL_ERROR "${UNIT} is not in ${COMPILE_COMMANDS}")
endif()

# Its compiler and flags: without the output, the dependency file and the
# source, which the copies replace.
separate_arguments(words UNIX_COMMAND "${command}")
set(flags "")
set(skip_next FALSE)
foreach(word IN LISTS words)
  if(skip_next)
    set(skip_next FALSE)
  elseif(word MATCHES "^-(o|c|MT|MF|MQ)$")
    set(skip_next TRUE)
  elseif(word MATCHES "^-(MD|MMD)$" OR word STREQUAL UNIT)
  else()
    list(APPEND flags "${word}")
  endif()
endforeach()
get_filename_component(source_dir "${SOURCE}" DIRECTORY)
get_filename_component(source_name "${SOURCE}" NAME)

# --- the table's rows -----------------------------------------------------------------

# The source as a list of lines; ';', '[' and ']' stand in for themselves as
# placeholders while it is one, as CMake lists give them meanings of their own.
file(READ "${SOURCE}" text)
string(REPLACE ";" "@SEMICOLON@" text "${text}")
string(REPLACE "[" "@OPEN@" text "${text}")
string(REPLACE "]" "@CLOSE@" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
list(LENGTH lines line_count)

function(decode out line)
  string(REPLACE "@SEMICOLON@" ";" line "${line}")
  string(REPLACE "@OPEN@" "[" line "${line}")
  string(REPLACE "@CLOSE@" "]" line "${line}")
  set(${out} "${line}" PARENT_SCOPE)
endfunction()

set(row_starts "")
set(row_ends "")
set(in_table FALSE)
set(open_row -1)
set(index 0)
foreach(encoded IN LISTS lines)
  decode(line "${encoded}")
  if(NOT in_table)
    if(line MATCHES "${TABLE}")
      set(in_table TRUE)
    endif()
  else()
    if(open_row GREATER -1 AND (line MATCHES "^    [^ ]" OR line MATCHES "^}"))
      list(APPEND row_ends ${index})
      set(open_row -1)
    endif()
    if(line MATCHES "^}")
      break()
    endif()
    if(line MATCHES "^    {")
      list(APPEND row_starts ${index})
      set(open_row ${index})
    endif()
  endif()
  math(EXPR index "${index} + 1")
endforeach()
list(LENGTH row_starts found)
list(LENGTH row_ends ended)
if(NOT found EQUAL ROWS OR NOT ended EQUAL ROWS)
  message(FATAL_ERROR "${SOURCE}: found ${found} rows of the table (${TABLE}), expected ${ROWS}")
endif()

# --- the copies -----------------------------------------------------------------------

# Writes SOURCE without lines [from, to) into dir and compiles it there;
# sets ok (it compiled) and output.
function(compile_copy dir from to)
  file(REMOVE_RECURSE "${dir}")
  file(MAKE_DIRECTORY "${dir}")
  set(copy "")
  set(i 0)
  foreach(encoded IN LISTS lines)
    if(i LESS from OR NOT i LESS to)
      decode(line "${encoded}")
      string(APPEND copy "${line}")
      math(EXPR next "${i} + 1")
      if(next LESS line_count)
        string(APPEND copy "\n")
      endif()
    endif()
    math(EXPR i "${i} + 1")
  endforeach()
  file(WRITE "${dir}/${source_name}" "${copy}")
  if(source_name MATCHES "\\.h$")
    file(WRITE "${dir}/unit.cpp" "#include \"${source_name}\"\n")
    set(unit "${dir}/unit.cpp")
  else()
    set(unit "${dir}/${source_name}")
  endif()
  execute_process(COMMAND ${flags} -fsyntax-only -iquote "${source_dir}" "${unit}"
                  WORKING_DIRECTORY "${directory}" RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(result EQUAL 0)
    set(ok TRUE PARENT_SCOPE)
  else()
    set(ok FALSE PARENT_SCOPE)
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

compile_copy("${WORK_DIR}/whole" 0 0)
if(NOT ok)
  message(FATAL_ERROR "${SOURCE} as it is does not compile:\n${output}")
endif()

math(EXPR middle "${ROWS} / 2")
math(EXPR last_row "${ROWS} - 1")
set(failures 0)
foreach(row 0 ${middle} ${last_row})
  list(GET row_starts ${row} from)
  list(GET row_ends ${row} to)
  compile_copy("${WORK_DIR}/without_row_${row}" ${from} ${to})
  if(ok)
    message(SEND_ERROR "${SOURCE} without row ${row} (lines ${from}..${to} counted from 0) compiles")
    math(EXPR failures "${failures} + 1")
  elseif(NOT output MATCHES "${EXPECT}")
    message(SEND_ERROR "${SOURCE} without row ${row} fails for another reason than '${EXPECT}':\n${output}")
    math(EXPR failures "${failures} + 1")
  else()
    message(STATUS "without row ${row}: refused as expected")
  endif()
endforeach()
if(failures EQUAL 0)
  file(REMOVE_RECURSE "${WORK_DIR}")
endif()
