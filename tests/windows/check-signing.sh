# Authenticode: a throwaway self-signed certificate signs the DLL and the
# programs (scripts/sign.sh); each verifies, a changed byte does not, and the
# signed files go to $build/signed for the Wine suite's load checks.
signing=$(mktemp -d /tmp/morvalith-sign.XXXXXX)
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Morvalith test signer" -days 2 -addext extendedKeyUsage=codeSigning \
  -keyout "$signing/key.pem" -out "$signing/cert.pem" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" -out "$signing/signer.pfx" \
  -passout pass:throwaway >/dev/null 2>&1
rm -rf "$build/signed"; mkdir -p "$build/signed"
cp "$build/Morvalith.dll" "$build/morvalith-probe.exe" "$build/morvalith-sim.exe" "$build/morvalith-check.exe" "$build/signed/"
MORVALITH_SIGN_PFX=$signing/signer.pfx MORVALITH_SIGN_PASSWORD=throwaway \
  bash "$(dirname "$0")/../../scripts/sign.sh" "$build/signed/"* >/dev/null
for f in Morvalith.dll morvalith-probe.exe morvalith-sim.exe morvalith-check.exe; do
  expect "signed $f verifies (SHA-256)" bash -c \
    'osslsigncode verify -CAfile "$1" -in "$2" 2>&1 | grep -q "Signature verification: ok" &&
     osslsigncode verify -CAfile "$1" -in "$2" 2>&1 | grep -qi "sha256"' _ "$signing/cert.pem" "$build/signed/$f"
done
cp "$build/signed/Morvalith.dll" "$signing/tampered.dll"
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[1100] ^= 0xFF; open(sys.argv[1], "wb").write(d)' \
  "$signing/tampered.dll"
expect "a signed DLL with one byte changed fails the check" bash -c \
  '! osslsigncode verify -CAfile "$1" -in "$2" 2>&1 | grep -q "Signature verification: ok"' _ "$signing/cert.pem" \
  "$signing/tampered.dll"
expect "unsigned stays the default build" bash -c '! osslsigncode verify -in "$1" >/dev/null 2>&1' _ "$build/Morvalith.dll"
# An archive of signed files says so in its README; one of signed and
# unsigned files is refused.
cmake --install "$build" --prefix "$signing/tree" >/dev/null
cp "$build/signed/Morvalith.dll" "$signing/tree/bin/"
expect "an archive of signed and unsigned files is refused" bash -c \
  '! python3 "$1" "$2" "$3/Morvalith-0-win32.zip" 2>/dev/null' _ "$(dirname "$0")/../../cmake/archive.py" \
  "$signing/tree" "$signing"
cp "$build/signed/"*.exe "$signing/tree/bin/"
# The x64 folder's files (PE32+, and the 32-bit helper) and the ARM64 DLL
# are signed alike.
MORVALITH_SIGN_PFX=$signing/signer.pfx MORVALITH_SIGN_PASSWORD=throwaway \
  bash "$(dirname "$0")/../../scripts/sign.sh" "$signing/tree/bin/x64/"* "$signing/tree/bin/arm64/"* >/dev/null
for dll in x64 arm64; do
  expect "signed $dll Morvalith.dll verifies (SHA-256)" bash -c \
    'osslsigncode verify -CAfile "$1" -in "$2" 2>&1 | grep -q "Signature verification: ok"' _ "$signing/cert.pem" \
    "$signing/tree/bin/$dll/Morvalith.dll"
done
expect "the README of an archive of signed files says that this build is signed" bash -c \
  'python3 "$1" "$2" "$3/Morvalith-0-win32.zip" &&
   unzip -p "$3/Morvalith-0-win32.zip" Morvalith-0-win32/README.md | grep -q "^This build is signed: each .exe and .dll"' \
  _ "$(dirname "$0")/../../cmake/archive.py" "$signing/tree" "$signing"
rm -rf "$signing"
