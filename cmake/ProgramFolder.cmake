# Assembles the shipped files into the program folder as a user would install it: files under data/ are
# copied as they are, SVG images are rendered to the PNG files the markup names ("*.ico.svg" drawings to
# icon files), and the speaker-test waves are generated.
function(oc_assemble_program_data)
    set(data ${CMAKE_SOURCE_DIR}/data)
    file(GLOB_RECURSE files RELATIVE ${data} CONFIGURE_DEPENDS ${data}/*)
    set(outputs)
    foreach(rel IN LISTS files)
        if(rel MATCHES "\\.ico\\.svg$")
            # An icon drawing: rendered at every icon size into one .ico file.
            if(NOT OC_RSVG)
                find_program(OC_RSVG rsvg-convert REQUIRED)
            endif()
            find_package(Python3 REQUIRED COMPONENTS Interpreter)
            string(REGEX REPLACE "\\.svg$" "" out_rel "${rel}")
            set(out ${OC_PROGRAM_DIR}/${out_rel})
            get_filename_component(out_dir ${out} DIRECTORY)
            add_custom_command(OUTPUT ${out}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
                COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-icon.py ${OC_RSVG} ${data}/${rel} ${out}
                DEPENDS ${data}/${rel} ${CMAKE_SOURCE_DIR}/scripts/make-icon.py VERBATIM)
        elseif(rel MATCHES "\\.svg$")
            if(NOT OC_RSVG)
                find_program(OC_RSVG rsvg-convert REQUIRED)
            endif()
            string(REGEX REPLACE "\\.svg$" ".png" out_rel "${rel}")
            set(out ${OC_PROGRAM_DIR}/${out_rel})
            get_filename_component(out_dir ${out} DIRECTORY)
            add_custom_command(OUTPUT ${out}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
                COMMAND ${OC_RSVG} -o ${out} ${data}/${rel}
                DEPENDS ${data}/${rel} VERBATIM)
        else()
            set(out ${OC_PROGRAM_DIR}/${rel})
            add_custom_command(OUTPUT ${out}
                COMMAND ${CMAKE_COMMAND} -E copy_if_different ${data}/${rel} ${out}
                DEPENDS ${data}/${rel} VERBATIM)
        endif()
        list(APPEND outputs ${out})
    endforeach()

    set(sounds)
    foreach(name L-Front R-Front Center Subwoofer L-Surround R-Surround L-BackSurround R-BackSurround)
        list(APPEND sounds ${OC_PROGRAM_DIR}/sound/${name}.wav)
    endforeach()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_custom_command(OUTPUT ${sounds}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-test-sounds.py ${OC_PROGRAM_DIR}/sound
        DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-test-sounds.py VERBATIM)

    add_custom_target(oc_data
        COMMAND ${CMAKE_COMMAND} -E make_directory ${OC_PROGRAM_DIR}/Skin/Overcoat ${OC_PROGRAM_DIR}/lang
                ${OC_PROGRAM_DIR}/profile ${OC_PROGRAM_DIR}/Driver/x64/vista ${OC_PROGRAM_DIR}/Driver/PLHID
        DEPENDS ${outputs} ${sounds}
        COMMENT "Assembling the program folder")
endfunction()
