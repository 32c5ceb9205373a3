# Common settings for every target of the project.
function(volview_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra
    # Results must be bit-exact across compilers: no fused multiply-add.
    -ffp-contract=off)
  if(VOLVIEW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
