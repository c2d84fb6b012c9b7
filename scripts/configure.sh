# Sourced by run.sh and test.sh: configure_build DIR [CMAKE-ARGS...]
# Configures a build folder with Ninja where it is installed: it starts the
# next compile the moment a core is free and runs the Qt code generators of
# many targets at once. A folder made earlier with another generator keeps
# it, since CMake will not change the generator of a folder.
configure_build() {
  local dir=$1; shift
  local generator=()
  if command -v ninja >/dev/null &&
     { [[ ! -f $dir/CMakeCache.txt ]] || grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; }; then
    generator=(-G Ninja)
  fi
  cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
}
