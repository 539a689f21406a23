# Copies data/ into the program folder. quillane.ini is the user's settings file
# once the program has run, so the delivered one is copied only when none exists.
file(GLOB_RECURSE entries RELATIVE ${SRC} ${SRC}/*)
foreach(entry IN LISTS entries)
    if(entry STREQUAL "quillane.ini")
        if(NOT EXISTS ${DST}/quillane.ini)
            file(COPY ${SRC}/quillane.ini DESTINATION ${DST})
        endif()
    else()
        get_filename_component(dir ${entry} DIRECTORY)
        file(COPY ${SRC}/${entry} DESTINATION ${DST}/${dir})
    endif()
endforeach()
