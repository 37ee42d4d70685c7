# Copies every file under SRC to DST unless DST already holds a file of that name,
# so a rebuild never overwrites settings, lists, records or pictures.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
    if(NOT EXISTS ${DST}/${f})
        get_filename_component(dir ${DST}/${f} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY ${SRC}/${f} DESTINATION ${dir})
    endif()
endforeach()
