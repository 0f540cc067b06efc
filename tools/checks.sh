# Sourced by the test scripts: counts checks and prints each failure.
passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAILED: $*"
}
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
