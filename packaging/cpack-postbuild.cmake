# Run by CPack after it made the packages, to bring them to what Debian's
# checker expects where CPack falls short:
# - CPack adds maintainer scripts that call ldconfig whenever a shared object
#   lies under /usr/lib, but the simulated card sits in the console's private
#   folder, which the loader never searches: those scripts go (any other
#   maintainer script stays);
# - the -dbgsym package's md5sums name the files by their paths in CPack's
#   staging folder, its .debug files are executable, and it has no
#   documentation folder: md5sums are listed again, the files made 0644, and
#   its documentation folder links to the console's, as Debian's own -dbgsym
#   packages do.
set(ldconfig_postinst "#!/bin/sh\n\nset -e\n\nif [ \"$1\" = \"configure\" ]; then\n\tldconfig\nfi\n")
set(ldconfig_postrm "#!/bin/sh\n\nset -e\n\nif [ \"$1\" = \"remove\" ]; then\n\tldconfig\nfi\n")

find_program(ZK583_DPKG_DEB dpkg-deb REQUIRED)

function(run)
    execute_process(COMMAND ${ARGN} OUTPUT_QUIET RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        message(FATAL_ERROR "failed: ${command}")
    endif()
endfunction()

# md5sums of every regular file of the unpacked package in tree.
function(write_md5sums tree)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/*")
    list(SORT files)
    set(md5sums "")
    foreach(file IN LISTS files)
        if(file MATCHES "^DEBIAN/" OR IS_SYMLINK "${tree}/${file}")
            continue()
        endif()
        file(MD5 "${tree}/${file}" sum)
        string(APPEND md5sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.d?deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    run(${ZK583_DPKG_DEB} --raw-extract "${package}" "${tree}")
    file(STRINGS "${tree}/DEBIAN/control" name REGEX "^Package: ")
    string(REGEX REPLACE "^Package: " "" name "${name}")

    foreach(script postinst postrm)
        set(path "${tree}/DEBIAN/${script}")
        if(EXISTS "${path}")
            file(READ "${path}" content)
            if(content STREQUAL "${ldconfig_${script}}")
                file(REMOVE "${path}")
            endif()
        endif()
    endforeach()

    if(name MATCHES "-dbgsym$")
        file(GLOB_RECURSE debug_files LIST_DIRECTORIES false "${tree}/usr/lib/debug/*.debug")
        foreach(file IN LISTS debug_files)
            file(CHMOD "${file}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        endforeach()
        file(MAKE_DIRECTORY "${tree}/usr/share/doc")
        file(CREATE_LINK "${CPACK_PACKAGE_NAME}" "${tree}/usr/share/doc/${name}" SYMBOLIC)
        write_md5sums("${tree}")
    endif()

    run(${ZK583_DPKG_DEB} --root-owner-group -Zxz --build "${tree}" "${package}")
    file(REMOVE_RECURSE "${tree}")
endforeach()
