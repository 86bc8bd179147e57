# Sourced by tools/test.sh and tools/run.sh: installs with apt-get the Debian
# packages the project needs that are not there yet.

qeb_install_missing() {
  local packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest zlib1g-dev
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 xvfb xauth imagemagick
    zip unzip p7zip-full libarchive-tools python3)
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}" >&2
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (${missing[*]}); run as root to install them" >&2
    return 1
  fi
  apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Makes a Wine prefix at $1 for unattended runs: no Mono or Gecko prompts, a
# crash ends the program instead of opening the crash dialog.
qeb_make_wine_prefix() {
  local prefix=$1
  mkdir -p "$prefix"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1
}
