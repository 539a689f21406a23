# What the command-line test scripts share (sourced; not a test of its own): checks that
# count themselves and say what differed, and the summary that ends a script.
checks=0
failures=0

check() { # name expected actual
    checks=$((checks + 1))
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1"; echo "  expected: $(printf %q "$2")"; echo "  actual:   $(printf %q "$3")"
        failures=$((failures + 1))
    fi
}

check_ok() { # name command...: the command must succeed
    checks=$((checks + 1))
    local name=$1
    shift
    "$@" || { echo "FAIL: $name"; failures=$((failures + 1)); }
}

finish() { # the script's last command: its status is the verdict
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
