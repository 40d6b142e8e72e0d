# Runs with -DPROGRAM=<domain_console> -DWORK=<empty folder> -DREADELF=<readelf>
# -DLINKS=<the targets the domain links, as configured>. Neither the domain's
# targets nor the program may need Qt Gui or Qt Widgets; the program must
# need Qt Core and open, extend and reopen a store.
file(READ ${LINKS} links)
if(links MATCHES "Qt6::(Gui|Widgets)")
  message(FATAL_ERROR "the domain's targets link Qt Gui or Widgets: ${links}")
endif()
execute_process(COMMAND ${READELF} -d ${PROGRAM} OUTPUT_VARIABLE dyn RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "readelf failed on ${PROGRAM}")
endif()
if(NOT dyn MATCHES "NEEDED[^\n]*libQt6Core\\.so")
  message(FATAL_ERROR "domain_console does not need libQt6Core:\n${dyn}")
endif()
if(dyn MATCHES "NEEDED[^\n]*libQt6(Gui|Widgets)\\.so")
  message(FATAL_ERROR "domain_console needs Qt Gui or Widgets:\n${dyn}")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home)
set(ENV{HOME} ${WORK}/home)
set(ENV{XDG_DATA_HOME} ${WORK}/home/.local/share)
set(store ${WORK}/Tasks.dat)
function(run expected)
  execute_process(COMMAND ${PROGRAM} ${store} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "domain_console ${ARGN}: exit ${rc}, printed '${out}', expected '${expected}'\n${err}")
  endif()
endfunction()
# A first start makes the store with the hourly backup reminder alone.
run(1)
run(4 add 3)
run(4)
