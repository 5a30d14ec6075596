# The end-to-end tests are one table, cases.cmake: each row is a case of
# quillo_e2e.py with its row, and names the columns it runs in: on a bare X
# server, under each window manager, as quillo.exe under Wine. A folder says
# how it runs its columns (quillo_e2e_column), then includes the table; the
# columns it did not declare are another build's.

# Window managers the Linux build runs rows under; each is a column.
set(QUILLO_WINDOW_MANAGERS openbox)

# quillo_e2e_column(COLUMN NAME PREFIX COMMAND ARGS... [PROPERTIES PROP VALUE...]):
# a test of COLUMN is named PREFIX_CASE_ROW and runs COMMAND CASE ROW.
function(quillo_e2e_column column)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "NAME" "COMMAND;PROPERTIES")
    set(quillo_e2e_${column}_name ${arg_NAME} PARENT_SCOPE)
    set(quillo_e2e_${column}_command ${arg_COMMAND} PARENT_SCOPE)
    set(quillo_e2e_${column}_properties ${arg_PROPERTIES} PARENT_SCOPE)
endfunction()

# quillo_e2e_test(CASE [ROW] IN COLUMN...): one row of the table.
function(quillo_e2e_test case)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "IN")
    set(row ${arg_UNPARSED_ARGUMENTS})
    foreach(column IN LISTS arg_IN)
        if(NOT column IN_LIST QUILLO_WINDOW_MANAGERS AND NOT column MATCHES "^(bare|wine)$")
            message(FATAL_ERROR "e2e ${case} ${row}: no column ${column}")
        endif()
        if(NOT DEFINED quillo_e2e_${column}_name)
            continue()
        endif()
        string(JOIN _ name ${quillo_e2e_${column}_name} ${case} ${row})
        add_test(NAME ${name} COMMAND ${quillo_e2e_${column}_command} ${case} ${row})
        set_tests_properties(${name} PROPERTIES ${quillo_e2e_${column}_properties})
    endforeach()
endfunction()
