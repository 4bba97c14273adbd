# g722kit_warnings: the warning set every target of the project builds with.
add_library(g722kit_warnings INTERFACE)
target_compile_options(g722kit_warnings INTERFACE -Wall -Wextra -Wpedantic
                       $<$<BOOL:${G722KIT_WERROR}>:-Werror>)
