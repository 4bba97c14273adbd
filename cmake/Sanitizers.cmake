# Sanitizer and fuzzing instrumentation of every target, for GCC and Clang.
if(G722KIT_SANITIZE AND G722KIT_TSAN)
  message(FATAL_ERROR "G722KIT_SANITIZE and G722KIT_TSAN cannot be combined")
endif()
if((G722KIT_SANITIZE OR G722KIT_TSAN) AND NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  message(FATAL_ERROR "The sanitizer builds need GCC or Clang")
endif()
if(G722KIT_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "G722KIT_FUZZ needs Clang (libFuzzer)")
endif()

if(G722KIT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(G722KIT_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  # The suppressions of the tests that record through PulseAudio's uninstrumented client library,
  # added to whatever TSAN_OPTIONS the caller set.
  set(G722KIT_SOUND_SERVER_TEST_ENVIRONMENT
      "TSAN_OPTIONS=string_append: suppressions=${PROJECT_SOURCE_DIR}/tests/e2e/tsan_pulseaudio.supp")
endif()
if(G722KIT_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
