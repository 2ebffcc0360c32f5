# A source read line by line in a CMake script.
#
# read_source_lines(<file> <out>): <out> is the file's lines, one list item a
# line, empty lines too. What would split or join list items stands in for
# itself (<bs>, <sc>, <lb>, <rb>) until source_line_text gives a line back.
function(read_source_lines file out)
  file(READ "${file}" text)
  string(REPLACE "\\" "<bs>" text "${text}")
  string(REPLACE ";" "<sc>" text "${text}")
  string(REPLACE "[" "<lb>" text "${text}")
  string(REPLACE "]" "<rb>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# source_line_text(<line> <out>): the line as the source has it.
function(source_line_text line out)
  string(REPLACE "<rb>" "]" line "${line}")
  string(REPLACE "<lb>" "[" line "${line}")
  string(REPLACE "<sc>" ";" line "${line}")
  string(REPLACE "<bs>" "\\" line "${line}")
  set(${out} "${line}" PARENT_SCOPE)
endfunction()
