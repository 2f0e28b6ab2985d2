# Sourced by the fuzz build scripts. Sets root (the repository) and defines
# build_fuzzer NAME OUT_DIR ARGS...: compiles fuzz/NAME.cpp with ARGS (flags and
# sources) with clang (libFuzzer + ASan + UBSan) into OUT_DIR/NAME (default
# OUT_DIR: build-fuzz) and prints the program's path.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build_fuzzer() {
  local name=$1 out=${2:-$root/build-fuzz}
  shift 2
  mkdir -p "$out"
  clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I"$root" "$@" "$root/fuzz/$name.cpp" -o "$out/$name"
  echo "$out/$name"
}
