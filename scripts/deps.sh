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
  libgoogle-perftools-dev # tcmalloc, the kelvo program's allocator
  postgresql # the server the tests run the PostgreSQL provider against
  sqlite3 # builds the sample database from its SQL text
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libboost-dev # Boost.Beast and Asio (headers only): the event-driven HTTP server of `kelvo serve`
  libcpp-httplib-dev # the HTTP client of the server tests
  libtomlplusplus-dev # page files
  libsodium-dev # Argon2id password hashes of the users file
  libicu-dev # case folding of any script for searches of SQLite text
  chromium # browser tests, driven headless
  default-jre-headless # runs the HTML validator of the browser tests (npm vnu-jar)
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

# Node.js with npm for the browser tests. Installed from Debian only when no `node` or `npm` is
# on the path: a Node.js from elsewhere brings its own npm, which Debian's npm would conflict with.
kelvo_install_node() {
  if command -v node >/dev/null && command -v npm >/dev/null; then
    return 0
  fi
  echo "Installing Node.js and npm"
  local sudo=()
  if ((EUID != 0)); then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -q -y --no-install-recommends nodejs npm
}

# The browser tests' npm packages, exactly as package-lock.json records them. Runs `npm ci` only
# when node_modules is missing or older than the lock file; without install scripts, which would
# fetch a Java runtime besides Debian's.
kelvo_install_browser_packages() {
  local dir
  dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/browser" && pwd)"
  local stamp="$dir/node_modules/.package-lock.json"
  if [[ -f "$stamp" && "$stamp" -nt "$dir/package-lock.json" ]]; then
    return 0
  fi
  echo "Installing the browser tests' npm packages"
  (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts)
}
