# Run by the build (cmake -P) with PROGRAM, HELP2MAN, VERSION and OUT: writes
# OUT/man/dizezida-postgresql.1 and one OUT/man/dizezida-postgresql-PATH.1 per
# command and sub-command the --help texts list (dizezida-postgresql-query.1,
# dizezida-postgresql-servers-add.1), and OUT/dizezida-postgresql.bash from
# `dizezida-postgresql completion bash`.
set(ENV{ASAN_OPTIONS} "detect_leaks=0") # a sanitized build prints its help all the same

file(REMOVE_RECURSE ${OUT}/man ${OUT}/bin)
file(MAKE_DIRECTORY ${OUT}/man ${OUT}/bin)

# The --help text of a command path (a list of words; empty for the program).
function(help_of words out)
  execute_process(COMMAND ${PROGRAM} ${words} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${words} --help failed (${status})")
  endif()
  set(${out} "${help}" PARENT_SCOPE)
endfunction()

# The "  name   description" lines after "Subcommands:" in a --help text.
function(commands_of help out)
  set(entries "")
  string(FIND "${help}" "Subcommands:\n" at)
  if(at GREATER_EQUAL 0)
    string(SUBSTRING "${help}" ${at} -1 block)
    string(REGEX MATCHALL "\n  [a-z][a-z0-9-]*  +[^\n]*" entries "${block}")
  endif()
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

function(make_page page program description see_also)
  set(include ${OUT}/bin/${page}.h2m)
  file(WRITE ${include} "[SEE ALSO]\n${see_also}\n")
  execute_process(
    COMMAND ${HELP2MAN} --no-info --section=1 --version-string=${VERSION}
            --name=${description} --include=${include} --output=${OUT}/man/${page}.1 ${program}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed on ${page}")
  endif()
endfunction()

# One page per command and sub-command below a command path, named after
# its path (dizezida-postgresql-servers-add); help2man names a page after the
# program it runs, so each gets a wrapper of that name. Leaves the pages'
# references in `children`.
function(document words up)
  help_of("${words}" help)
  commands_of("${help}" entries)
  set(references "")
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "^\n  ([a-z][a-z0-9-]*)  +(.*)$" _ "${entry}")
    set(description ${CMAKE_MATCH_2})
    set(path ${words} ${CMAKE_MATCH_1})
    list(JOIN path "-" name)
    set(page dizezida-postgresql-${name})
    set(wrapper ${OUT}/bin/${page})
    list(JOIN path " " arguments)
    file(WRITE ${wrapper} "#!/bin/sh\nexec '${PROGRAM}' ${arguments} \"$@\"\n")
    file(CHMOD ${wrapper} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    document("${path}" ${page})
    make_page(${page} ${wrapper} "${description}" ".BR ${up} (1)${children}")
    string(APPEND references ",\n.BR ${page} (1)")
  endforeach()
  set(children "${references}" PARENT_SCOPE)
endfunction()

help_of("" help)
string(REGEX MATCH "^[^\n]+" summary "${help}")
document("" dizezida-postgresql)
make_page(dizezida-postgresql ${PROGRAM} "${summary}" ".BR psql (1)${children}")

execute_process(COMMAND ${PROGRAM} completion bash
  OUTPUT_FILE ${OUT}/dizezida-postgresql.bash RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} completion bash failed (${status})")
endif()
file(WRITE ${OUT}/man/stamp "")
