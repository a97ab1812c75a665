# Sourced by the other scripts: the two build folders and how each is configured. The demo and
# the tests share build/, so running one after the other rebuilds nothing.

KELVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KELVO_BUILD="$KELVO_ROOT/build"
KELVO_BUILD_ASAN="$KELVO_ROOT/build-asan"

# GCC with warnings as errors, optimised (with debug information, for profiling): the demo
# serves from this build, so it runs at the speed users get.
kelvo_configure_gcc() {
  cmake -S "$KELVO_ROOT" -B "$KELVO_BUILD" -G Ninja \
    -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVO_WERROR=ON
}

# Clang with AddressSanitizer and UndefinedBehaviorSanitizer. The fuzz targets are built here to
# keep them compiling (they need Clang); the benchmarks are left to the GCC build.
kelvo_configure_asan() {
  cmake -S "$KELVO_ROOT" -B "$KELVO_BUILD_ASAN" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug \
    -DKELVO_SANITIZE=ON \
    -DKELVO_WERROR=ON \
    -DKELVO_BUILD_FUZZERS=ON \
    -DKELVO_BUILD_BENCHMARKS=OFF
}
