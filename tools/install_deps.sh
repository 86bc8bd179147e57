# Sourced by tools/test.sh and tools/run.sh: installs with apt-get the Debian
# packages the project needs that are not there yet.

qeb_install_missing() {
  local packages=(cmake ninja-build g++ clang clang-tidy libclang-rt-14-dev googletest libgtest-dev zlib1g-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine64
    wine32:i386 xvfb xauth imagemagick zip unzip p7zip-full libarchive-tools python3 locales
    fonts-wine fuse3 python3-fusepy)
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -ne 0 ]; then
    echo "== installing: ${missing[*]}" >&2
    if [ "$(id -u)" -ne 0 ]; then
      echo "missing packages (${missing[*]}); run as root to install them" >&2
      return 1
    fi
    # wine32:i386, with which the 32-bit exe runs in the same Wine prefix,
    # comes from the i386 architecture, added once.
    if [[ " ${missing[*]} " == *":i386 "* ]] &&
      ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "== adding the i386 architecture" >&2
      dpkg --add-architecture i386 || return 1
    fi
    apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null || return 1
  fi
  qeb_spanish_locale
}

# Wine speaks the Unix locale's language: the program's boxes read "Aceptar"
# and "Sí" only when es_MX.UTF-8 has been generated (otherwise Wine falls back
# to English). Generates it once.
QEB_LOCALE=es_MX.UTF-8
qeb_spanish_locale() {
  locale -a 2>/dev/null | grep -qix 'es_MX\.utf-\?8' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "the locale $QEB_LOCALE is missing; run as root to generate it" >&2
    return 1
  fi
  echo "== generating the locale $QEB_LOCALE" >&2
  grep -qx "$QEB_LOCALE UTF-8" /etc/locale.gen 2>/dev/null || echo "$QEB_LOCALE UTF-8" >>/etc/locale.gen
  locale-gen >/dev/null
}

# Makes a Wine prefix at $1 for unattended runs: no Mono or Gecko prompts, a
# crash ends the program instead of opening the crash dialog, and the Marlett
# font, without which a title bar's close control draws as an "r". Made in
# Spanish, as a Spanish Windows would be. With QEB_WINE_TEMPLATE naming such
# a prefix, the new one is that prefix's files linked (about 1 GB, 0.2 s
# instead of a 30 s boot): Wine replaces a registry file by renaming a new
# one over it, so the template never changes.
qeb_make_wine_prefix() {
  local prefix=$1
  if [ -f "${QEB_WINE_TEMPLATE:-/nonexistent}/system.reg" ]; then
    rm -rf "$prefix" && cp -al "$QEB_WINE_TEMPLATE" "$prefix"
    return
  fi
  mkdir -p "$prefix"
  LANG=$QEB_LOCALE LC_ALL=$QEB_LOCALE WINEPREFIX=$prefix WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || return 1
  WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  WINEPREFIX=$prefix wineserver -w
}

