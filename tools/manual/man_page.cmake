# Writes the tool's man page from its own help: help2man turns `g722kit --help` and `--version`
# into the page, and each command's help (`g722kit help COMMAND`) becomes a section of it.
#
#   cmake -DTOOL=path/to/g722kit -DHELP2MAN=path/to/help2man -DOUTPUT=g722kit.1 -P man_page.cmake
set(include_file "${OUTPUT}.include")
file(WRITE "${include_file}" "[NAME]\ng722kit \\- encode, decode, record and inspect G.722 speech audio\n")
file(APPEND "${include_file}" "[COMMANDS]\n")
foreach(command encode decode record info compare)
  execute_process(COMMAND "${TOOL}" help ${command} OUTPUT_VARIABLE help RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "g722kit help ${command} failed: ${result}")
  endif()
  string(REGEX REPLACE "\n\nExit codes:.*$" "\n" help "${help}")  # the page says them once
  # roff: a backslash is written \e, and a line must not start with a control character.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  file(APPEND "${include_file}" ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
execute_process(
  COMMAND "${HELP2MAN}" --no-info --section=1 --include=${include_file} --output=${OUTPUT}
          "${TOOL}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${result}")
endif()
