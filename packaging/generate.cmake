# SPDX-License-Identifier: GPL-2.0-or-later
# Writes the man page and the bash completion from the help texts the built program prints,
# so that neither can say anything the program does not:
#   cmake -DQUILLON=path/to/quillon -DMAN=quillon.1 -DCOMPLETION=quillon.bash -P generate.cmake
# The man page: the program's usage as synopsis and description, then each command's help
# text as it is printed. The completion: the command names, and for each command the options
# its help text names.

cmake_minimum_required(VERSION 3.25)

function(run_quillon out)
  execute_process(COMMAND ${QUILLON} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "quillon ${ARGN} failed (${rc})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff: backslashes and leading dots or quotes cannot start a request.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

run_quillon(usage --help)
run_quillon(version --version)
string(STRIP "${version}" version)
string(REGEX REPLACE "^quillon " "" version "${version}")

# The command names: the rows of the "Commands:" list.
string(FIND "${usage}" "\nCommands:\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "quillon --help lists no commands")
endif()
string(SUBSTRING "${usage}" 0 ${at} head)
math(EXPR at "${at} + 11")
string(SUBSTRING "${usage}" ${at} -1 list)
string(REPLACE "\n" ";" rows "${list}")
set(commands)
foreach(r IN LISTS rows)
  if(r MATCHES "^  ([a-z][a-z-]*)  ")
    list(APPEND commands ${CMAKE_MATCH_1})
  endif()
endforeach()

# The synopsis is the usage's first paragraph, the description the rest before the list.
string(FIND "${head}" "\n\n" cut)
string(SUBSTRING "${head}" 0 ${cut} synopsis)
math(EXPR cut "${cut} + 2")
string(SUBSTRING "${head}" ${cut} -1 description)
string(REGEX REPLACE "^Usage: " "" synopsis "${synopsis}")
string(REGEX REPLACE "\n +" "\n" synopsis "${synopsis}")
string(REPLACE "\n" " " description "${description}")

roff(synopsis "${synopsis}")
roff(description "${description}")
roff(list "${list}")
set(man ".\\\" SPDX-License-Identifier: GPL-2.0-or-later\n")
string(APPEND man ".\\\" Made from the program's own help texts; do not edit.\n")
string(APPEND man ".TH QUILLON 1 \"\" \"quillon ${version}\" \"User Commands\"\n")
string(APPEND man ".SH NAME\nquillon \\- numerology calculator, page and form printer\n")
string(APPEND man ".SH SYNOPSIS\n.nf\n${synopsis}\n.fi\n")
string(APPEND man ".SH DESCRIPTION\n${description}\n")
string(APPEND man ".SH COMMANDS\n.nf\n${list}.fi\n")
set(completion_cases "")
foreach(c IN LISTS commands)
  run_quillon(help ${c} --help)
  roff(text "${help}")
  string(APPEND man ".SS ${c}\n.nf\n${text}.fi\n")
  if(NOT c STREQUAL "help")
    string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
    list(APPEND options --help)
    list(REMOVE_DUPLICATES options)
    list(JOIN options " " options)
    string(APPEND completion_cases "    ${c}) options=\"${options}\" ;;\n")
  endif()
endforeach()
string(APPEND man ".SH SEE ALSO\nThe guide to form files in /usr/share/doc/quillon.\n")
file(WRITE ${MAN} "${man}")

list(JOIN commands " " names)
file(WRITE ${COMPLETION} "# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for quillon, made from the program's own help texts.
_quillon() {
  local cur=\${COMP_WORDS[COMP_CWORD]} options=
  if [ \"\$COMP_CWORD\" -eq 1 ]; then
    COMPREPLY=(\$(compgen -W \"${names} --help --version --name\" -- \"\$cur\"))
    return
  fi
  case \${COMP_WORDS[1]} in
${completion_cases}    help) COMPREPLY=(\$(compgen -W \"${names}\" -- \"\$cur\")); return ;;
  esac
  if [[ \$cur == -* ]]; then
    COMPREPLY=(\$(compgen -W \"\$options\" -- \"\$cur\"))
  else
    COMPREPLY=(\$(compgen -f -- \"\$cur\"))
  fi
}
complete -o filenames -F _quillon quillon
")
