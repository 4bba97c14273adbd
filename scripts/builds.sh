# The builds of the test command by name: where each goes and how it is configured. Sourced by
# scripts/test and scripts/fuzz.
#
#   release   GCC, the library shared, every test including the installed packages
#   sanitize  Clang with AddressSanitizer and UndefinedBehaviorSanitizer; also the fuzzers
#   tsan      Clang with ThreadSanitizer
#   s390x     cross-built for 64-bit big-endian IBM Z, tests run through qemu-user
#   armhf     cross-built for 32-bit ARM, tests run through qemu-user

build_options() {
  local clang=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
  # Cross builds have no ALSA, and no tool (its libraries are packaged for the build machine).
  local cross=(-DG722KIT_AUDIO_CAPTURE=none -DG722KIT_BUILD_TOOL=OFF)
  case $1 in
    release) options=() ;;
    sanitize) options=("${clang[@]}" -DG722KIT_SANITIZE=ON -DG722KIT_FUZZ=ON) ;;
    tsan) options=("${clang[@]}" -DG722KIT_TSAN=ON) ;;
    s390x) options=(--toolchain cmake/s390x-linux-gnu.cmake "${cross[@]}") ;;
    armhf) options=(--toolchain cmake/arm-linux-gnueabihf.cmake "${cross[@]}") ;;
    *)
      echo "unknown build: $1" >&2
      return 1
      ;;
  esac
}

# Configures build/NAME (again, if it exists: the options may have changed).
configure_build() {
  local options
  build_options "$1"
  cmake -S . -B "build/$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DG722KIT_WERROR=ON \
    "${options[@]}" >/dev/null
}
