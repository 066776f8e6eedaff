# Replaces the tests' Wine prefix with a new one: the previous run's registry
# keys, log files and registrations must not survive into this one.
execute_process(COMMAND ${WINESERVER} -k)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE booted)
if(NOT booted EQUAL 0)
  message(FATAL_ERROR "wineboot could not make the prefix ${PREFIX} (status ${booted})")
endif()
# wineboot returns before the prefix's registry is on disk.
execute_process(COMMAND ${WINESERVER} -w)
