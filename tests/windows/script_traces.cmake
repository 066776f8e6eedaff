# What the script tests left behind, seen from outside the library: their
# registry keys as the registry's own tool lists them, and their log file
# in the prefix's profile. Each expectation is reported on its own.
set(failed 0)
function(expect text pattern what)
  if(NOT text MATCHES "${pattern}")
    message(SEND_ERROR "missing: ${what}")
    set(failed 1 PARENT_SCOPE)
  endif()
endfunction()

# Into a file, not a pipe: Wine's background processes inherit the output
# and would hold a pipe open long after the query ends.
execute_process(COMMAND ${WINE} reg query "HKCU\\Software\\Velmora, Ltd.\\ScriptCheck" /s
                OUTPUT_FILE ${PREFIX}/script_keys.txt RESULT_VARIABLE status)
file(READ ${PREFIX}/script_keys.txt keys)
string(REPLACE "\r" "" keys "${keys}")
expect("${keys}" "\n +Caption +REG_SZ +Prices\n" "a text value")
expect("${keys}" "\n +Empty +REG_SZ +\n" "the empty text")
expect("${keys}" "\n +Width +REG_SZ +&h19\n" "a default written back in its stored form")
expect("${keys}" "\n +Minus +REG_SZ +&hFFFF\n" "a 16-bit negative number")
expect("${keys}" "ScriptCheck\\\\Copy\n( +[^\n]+\n)* +Added +REG_SZ +x\n" "the copied key")
expect("${keys}" "\n +Price +REG_SZ +Unit price\\|900\\|2\\|True\n" "a saved grid column")
expect("${keys}" "Grid\\\\SortKeys\n +1 +REG_SZ +2\\|-1\n" "a saved sort key")
if(keys MATCHES "Doomed|ScriptCheck\\\\Gone")
  message(SEND_ERROR "a deleted value or key is still there")
  set(failed 1)
endif()

# In the profile's temporary folder, or beside it when that is the
# profile's AppData\Local\Temp.
set(users "${PREFIX}/drive_c/users/*")
file(GLOB logs "${users}/Temp/LogFiles/ScriptCheck*.log"
     "${users}/AppData/Local/Velmora Manager/LogFiles/ScriptCheck*.log")
list(LENGTH logs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one log file of the scripts, found: ${logs}")
endif()
file(READ "${logs}" log)  # without its carriage returns
set(stamp "[0-9]+/[0-9]+/[0-9]+ [0-9]+:[0-9]+:[0-9]+ [AP]M")
expect("${log}" "^${stamp} Error: -5 Timeout\n" "the capped file's first entry")
expect("${log}" "\n${stamp} two\nlines\n" "an entry of two lines")
set(unknown "Error Execute Metod\\. Metod Name \\[Nope\\]\\.\nObject doesn't support this")
expect("${log}" "\n${stamp} Error: 438 ${unknown} property or method\n" "a failed late-bound call")
set(range "Error Execute Metod Let\\. Metod Name \\[Add\\]\\.\nArray Parameters Range = 11")
expect("${log}" "\n${stamp} ${range} Out Of Execute Range\\.\n" "the argument range message")
if(log MATCHES "first entry|Prices are stale")
  message(SEND_ERROR "the log holds an entry it should not")
  set(failed 1)
endif()
if(failed OR NOT status EQUAL 0)
  message(FATAL_ERROR "the scripts' traces differ (reg query status ${status})")
endif()
