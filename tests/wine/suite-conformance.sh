# The contract probes on the real loader: the same program as the simulated
# machine's conformance check, on a prefix set up as the same machine. Wine's
# answers must be Windows' except the listed Wine differences.
conformance=$here/../conformance
for version in winxp win7; do
  prefix "$version"
  register_flash_disk
  register_removable_volume
  (cd "$app" && timeout "$(scaled 60)" wine conformance.exe 2>/dev/null | tr -d '\r' >"$work/conformance.txt")
  if out=$(python3 "$conformance/compare.py" "$version" "$conformance/expected.txt" "$work/conformance.txt" \
             "$conformance/wine-differences.txt" --label wine); then
    passed=$((passed + 1)); echo "ok   $(tail -n1 <<<"$out")"
  else
    failed=$((failed + 1)); echo "FAIL conformance under Wine ($version)"; sed 's/^/     /' <<<"$out"
  fi
  finish
done
