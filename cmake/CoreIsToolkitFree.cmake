# The core targets must never reach a toolkit: fail the configure step if one
# of them links, directly or through another target, anything from Qt.
function(zk583_assert_toolkit_free)
    foreach(target IN LISTS ARGN)
        get_target_property(libs ${target} LINK_LIBRARIES)
        get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
        get_target_property(incs ${target} INCLUDE_DIRECTORIES)
        foreach(item IN LISTS libs ilibs incs)
            if(item MATCHES "Qt[0-9]*::|[Qq]t[56]")
                message(FATAL_ERROR "${target} must stay toolkit-free, but it uses ${item}")
            endif()
        endforeach()
    endforeach()
endfunction()

cmake_language(DEFER CALL zk583_assert_toolkit_free device console procedures formdescription)
