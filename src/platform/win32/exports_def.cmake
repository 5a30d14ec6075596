# Writes a module-definition file with the functions an import library names:
#   cmake -DNM=nm -DIMPORT_LIB=libX.a -DDLL=X.dll -DDEF=X.def [-DFORWARD=C:\...\X] -P exports_def.cmake
# Without FORWARD, for dlltool to make a delay-import library of the DLL; with
# it, for a DLL whose every export forwards to the same name in FORWARD.dll.
execute_process(COMMAND ${NM} --defined-only ${IMPORT_LIB} OUTPUT_VARIABLE symbols
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "I __imp_[^\r\n]+" imports "${symbols}")
list(REMOVE_DUPLICATES imports)
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(import IN LISTS imports)
    string(SUBSTRING "${import}" 8 -1 name)
    if(DEFINED FORWARD)
        string(APPEND def "    ${name} = \"${FORWARD}.${name}\"\n")
    else()
        string(APPEND def "    ${name}\n")
    endif()
endforeach()
file(WRITE ${DEF} "${def}")
