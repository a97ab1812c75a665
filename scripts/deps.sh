# Sourced by the other scripts: the Debian 12 packages that building, testing and running Kelvo
# need, and the function that installs the missing ones.

KELVO_PACKAGES=(
  cmake
  ninja-build
  g++
  clang
  libclang-rt-14-dev # AddressSanitizer and UndefinedBehaviorSanitizer runtimes for Clang
  pkg-config
  libsqlite3-dev
  libpcre2-dev # the scripting runtime's regular expressions
  libssl-dev # hashing for the page state signature
  libpq-dev # the PostgreSQL provider
  libcpp-httplib-dev # the HTTP server
  libtomlplusplus-dev # the server's configuration file
  sqlite3 # builds the sample database from its SQL text
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
)

# Installs whatever in KELVO_PACKAGES is not installed yet; does nothing, quickly, otherwise.
kelvo_install_deps() {
  local missing=() package
  for package in "${KELVO_PACKAGES[@]}"; do
    if [[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]]; then
      missing+=("$package")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -q -y --no-install-recommends "${missing[@]}"
}
