# nyarumi_embed_resources(<target> [<NAME> <file>]...)
#
# Makes <target>, an object library whose generated sources carry the bytes of each <file> and
# register them under <NAME> for LookupResource (assets/Resources.h). Link <target> straight into
# the executable: its objects register themselves at start-up, nothing refers to them by name,
# so they must not pass through a static library, where the linker would drop them.
function(nyarumi_embed_resources target)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedGenerate.cmake)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(odd)
    message(FATAL_ERROR "nyarumi_embed_resources(${target}): expected NAME FILE pairs")
  endif()
  set(sources)
  while(pairs)
    list(POP_FRONT pairs name file)
    get_filename_component(file ${file} ABSOLUTE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DNAME=${name} -DINPUT=${file} -DOUTPUT=${out}
              -P ${script}
      DEPENDS ${file} ${script}
      COMMENT "Embedding ${name} from ${file}"
      VERBATIM)
    list(APPEND sources ${out})
  endwhile()
  if(NOT sources)
    # An object library needs a source; this one registers nothing.
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_none.cpp)
    file(CONFIGURE OUTPUT ${out} CONTENT "// No resource files were present to embed.\n")
    list(APPEND sources ${out})
  endif()
  add_library(${target} OBJECT ${sources})
  target_link_libraries(${target} PUBLIC nyarumi_core)
endfunction()
