# workplace_embed_version(target [VERSION a.b.c.d] [DESCRIPTION text] [LANGUAGE hex])
#
# Gives a library the version record that Windows keeps in a version resource:
# the fixed 64-bit file version and a block of string file information. The
# record lives in the ELF section ".wpversion", so fileVersion() reads it from
# the file without loading the library.
#
# VERSION defaults to the target's VERSION property, then to PROJECT_VERSION.
# LANGUAGE is the language and code page of the string block, "041904b0"
# (Russian, Unicode) unless given.

set(WORKPLACE_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/versionresource.cpp.in)

function(workplace_embed_version target)
    cmake_parse_arguments(ARG "" "VERSION;DESCRIPTION;LANGUAGE" "" ${ARGN})

    set(version "${ARG_VERSION}")
    if(NOT version)
        get_target_property(version ${target} VERSION)
    endif()
    if(NOT version)
        set(version "${PROJECT_VERSION}")
    endif()
    if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
        message(FATAL_ERROR "workplace_embed_version(${target}): bad version '${version}'")
    endif()

    # Four 16-bit parts: major, minor, build, revision; missing parts are 0.
    string(REPLACE "." ";" parts "${version}")
    list(LENGTH parts count)
    while(count LESS 4)
        list(APPEND parts 0)
        list(LENGTH parts count)
    endwhile()
    list(GET parts 0 VER_MAJOR)
    list(GET parts 1 VER_MINOR)
    list(GET parts 2 VER_BUILD)
    list(GET parts 3 VER_REVISION)
    foreach(part ${VER_MAJOR} ${VER_MINOR} ${VER_BUILD} ${VER_REVISION})
        if(part GREATER 65535)
            message(FATAL_ERROR "workplace_embed_version(${target}): part ${part} of '${version}' exceeds 65535")
        endif()
    endforeach()
    set(VER_TEXT "${VER_MAJOR}.${VER_MINOR}.${VER_BUILD}.${VER_REVISION}")

    set(VER_LANGUAGE "${ARG_LANGUAGE}")
    if(NOT VER_LANGUAGE)
        set(VER_LANGUAGE "041904b0")
    endif()
    set(VER_DESCRIPTION "${ARG_DESCRIPTION}")
    if(NOT VER_DESCRIPTION)
        set(VER_DESCRIPTION "${target}")
    endif()
    string(REPLACE "\\" "\\\\" VER_DESCRIPTION "${VER_DESCRIPTION}")
    string(REPLACE "\"" "\\\"" VER_DESCRIPTION "${VER_DESCRIPTION}")
    set(VER_PRODUCT "${PROJECT_NAME}")
    set(VER_PRODUCT_VERSION "${PROJECT_VERSION}")
    set(VER_TARGET "${target}")

    set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_versionresource.cpp)
    configure_file(${WORKPLACE_VERSION_TEMPLATE} ${output} @ONLY)
    target_sources(${target} PRIVATE ${output})
    set_source_files_properties(${output} PROPERTIES SKIP_AUTOGEN ON)
endfunction()
