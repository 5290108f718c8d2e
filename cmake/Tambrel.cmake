# Target defaults shared by every part of Tambrel.

# Warnings, no exceptions: nothing may be thrown across a callback, an export or the hook.
# Hardened: a canary guards every frame with an array or an address taken, the C library's
# copies check the sizes the compiler knows (from -O1 on), and every program and DLL asks
# for ASLR (--dynamicbase, with relocations) and DEP (--nxcompat). scripts/test checks the
# last two in the PE header of each shipped file; libssp is linked in by -static.
function(tambrel_defaults target)
  # Not for resource scripts: windres takes no warning options.
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra;-fstack-protector-strong>"
    "$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<BOOL:${TAMBREL_WERROR}>>:-Werror>"
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>)
  target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601
    WINVER=0x0601 NOMINMAX "$<$<COMPILE_LANGUAGE:C,CXX>:_FORTIFY_SOURCE=2>")
  target_link_options(${target} PRIVATE -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat)
endfunction()

# Programs and DLLs link libgcc, libstdc++ and winpthread in, so they need nothing that
# Windows lacks. No link time in the headers: the same sources give the same files.
function(tambrel_static_runtime target)
  target_link_options(${target} PRIVATE -static -Wl,--no-insert-timestamp)
endfunction()

# A shipped file: copied into TAMBREL_DIST_DIR after every build, without its debug
# information (the build folder keeps that). strip would write the time into the PE header;
# SOURCE_DATE_EPOCH=0 keeps it empty, as the linker leaves it.
function(tambrel_ship_file target file name)
  if(TAMBREL_DIST_DIR)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TAMBREL_DIST_DIR}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
              ${CMAKE_STRIP} --strip-unneeded -o ${TAMBREL_DIST_DIR}/${name} ${file})
  endif()
endfunction()

function(tambrel_ship target)
  tambrel_ship_file(${target} $<TARGET_FILE:${target}> $<TARGET_FILE_NAME:${target}>)
endfunction()

set(TAMBREL_X86 OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TAMBREL_X86 ON)
endif()
