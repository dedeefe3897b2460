# generator_for BUILD_DIR: the cmake options that choose Ninja for a new
# build folder (it keeps both cores busy across the hundred test programs,
# where make waits for each one's code generation); a folder configured
# before keeps the generator it has.
generator_for() {
  if [ ! -f "$1/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
    echo "-G Ninja"
  fi
}
