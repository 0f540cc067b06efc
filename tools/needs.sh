# Sourced by the build scripts: installs the Debian packages given as arguments when any is
# missing (the scripts run as root on a fresh Debian 12 machine).

# An index the mirror is still syncing (another architecture's, say) fails the update
# without touching the packages asked for: whether they install is what counts.
apt_update() {
  apt-get -o DPkg::Lock::Timeout=600 update -qq ||
    echo "needs: some package indexes could not be updated; going on"
}

needs() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]}"
    if [ -z "${VANTRIX_APT_UPDATED:-}" ]; then
      apt_update
      export VANTRIX_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

BUILD_PACKAGES=(cmake ninja-build g++ zlib1g-dev)
# The tests: GoogleTest, expat (documents are well-formed XML), libpng (PngSuite decoded
# by libpng and by vantrix, compared pixel by pixel) and the C library's locale sources (the
# executable reads the time separator of locales compiled from them).
TEST_PACKAGES=(libgtest-dev libexpat1-dev libpng-dev locales)
# The benchmarks (tools/run-bench.sh): the decoders compared with vantrix's, the benchmark
# library, and the tools that time the executable.
BENCH_PACKAGES=(libbenchmark-dev libpng-dev libspng-dev libstb-dev liblodepng-dev pkg-config
  hyperfine jq time)
