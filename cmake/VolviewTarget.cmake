# Common settings for every target of the project.
function(volview_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
    # Results must be bit-exact across compilers: no fused multiply-add.
    -ffp-contract=off)
endfunction()
