# Run by CPack on the staged tree, before the package and its -dbgsym are made:
# drops the compiler's version notes (.comment) from the binaries, as Debian's
# own packaging does. CPack then moves the debugging symbols to -dbgsym and
# strips what is left.
find_program(ZK583_OBJCOPY objcopy REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
    if(IS_SYMLINK "${path}")
        continue()
    endif()
    file(READ "${path}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND ${ZK583_OBJCOPY} --remove-section=.comment "${path}"
            RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "objcopy could not remove .comment from ${path}")
        endif()
    endif()
endforeach()
