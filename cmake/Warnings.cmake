# g722kit_warnings: the warning set every target of the project builds with.
add_library(g722kit_warnings INTERFACE)
if(MSVC)
  target_compile_options(g722kit_warnings INTERFACE /W4 $<$<BOOL:${G722KIT_WERROR}>:/WX>)
else()
  target_compile_options(g722kit_warnings INTERFACE -Wall -Wextra -Wpedantic
                         $<$<BOOL:${G722KIT_WERROR}>:-Werror>)
endif()
