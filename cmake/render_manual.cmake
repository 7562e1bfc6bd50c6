# Renders the manual page as plain text with CR LF line ends, for readers on Windows, and
# without hyphenation, so that options and names stand whole.
#   cmake -DGROFF=... -DPAGE=torvane.1 -DTEXT=torvane.txt -P render_manual.cmake
execute_process(COMMAND "${GROFF}" -man -rHY=0 -Tascii -P-cbou "${PAGE}"
                OUTPUT_VARIABLE text RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "groff could not render ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TEXT}" "${text}")
