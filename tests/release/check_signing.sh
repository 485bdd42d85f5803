#!/usr/bin/env bash
# The signing steps of a release, with throwaway keys made here: the zip packed with a PKCS#12
# certificate of a self-made CA holds an exe whose Authenticode signature osslsigncode accepts
# against that CA, and which is the build's exe with that signature attached, byte for byte;
# the same key in a PKCS#11 token (SoftHSM, the URI with its semicolons) signs as well;
# SHA256SUMS signed with an SSH key verifies with `ssh-keygen -Y verify`.
#   bash check_signing.sh <source dir> <build tree> <exe as built> <archive file name>
#        <cmake> <cpack>
set -uo pipefail
src=$1
tree=$2
built=$3
archive=$4
cmake=$5
cpack=$6
failures=0
say() { echo "FAILED: $*"; failures=$((failures + 1)); }

softhsm=/usr/lib/softhsm/libsofthsm2.so
for tool in osslsigncode openssl ssh-keygen softhsm2-util "$softhsm"; do
  command -v "$tool" >/dev/null || [ -f "$tool" ] ||
    { echo "FAILED: $tool is missing (bash scripts/install-deps.sh installs it)"; exit 1; }
done
scratch=$tree/signing
rm -rf "$scratch"
mkdir -p "$scratch/keys" "$scratch/out/unpacked"
cd "$scratch/keys" || exit 1

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Padwright throwaway CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign" 2>/dev/null &&
  openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Padwright throwaway signer" 2>/dev/null &&
  printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
    extendedKeyUsage=codeSigning >ext &&
  openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile ext -out signer.pem 2>/dev/null &&
  openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 \
    -passout pass:throwaway-password &&
  ssh-keygen -q -t ed25519 -N '' -C padwright-release -f release_key &&
  mkdir tokens && printf 'directories.tokendir = %s\n' "$PWD/tokens" >softhsm2.conf &&
  export SOFTHSM2_CONF=$PWD/softhsm2.conf &&
  softhsm2-util --init-token --free --label padwright --pin 1234 --so-pin 5678 >/dev/null &&
  openssl pkcs8 -topk8 -nocrypt -in signer.key -out signer.pk8 &&
  softhsm2-util --import signer.pk8 --token padwright --label signer --id 01 --pin 1234 \
    >/dev/null && cat signer.pem ca.pem >chain.pem ||
  { echo "FAILED: cannot make the throwaway keys"; exit 1; }

unset PADWRIGHT_SIGN_PKCS11_MODULE PADWRIGHT_SIGN_TIMESTAMP_URL
PADWRIGHT_SIGN_PKCS12=$PWD/signer.p12 PADWRIGHT_SIGN_PASSWORD=throwaway-password \
  "$cpack" --config "$tree/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
grep -q "padwright.exe: signed with the PKCS#12 file" "$scratch/cpack.log" || say "signing not said"
(cd "$scratch/out/unpacked" && "$cmake" -E tar xf "../$archive") || say "cannot unpack $archive"
exe=$(ls "$scratch"/out/unpacked/*/padwright.exe)

osslsigncode verify -CAfile ca.pem -in "$exe" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log"; say "the signature of the exe in the zip is not accepted"; }
# What a user with a build of their own does: the published signature attached to it.
osslsigncode extract-signature -in "$exe" -out signature.p7 >/dev/null 2>&1 &&
  osslsigncode attach-signature -sigin signature.p7 -CAfile ca.pem -in "$built" \
    -out reattached.exe >/dev/null 2>&1 &&
  cmp -s reattached.exe "$exe" || say "the zip's exe is not the build's exe with the signature"

# The token's route, straight through the signing step on a staged copy of the exe.
mkdir -p token/padwright && cp "$built" token/padwright/padwright.exe &&
  PADWRIGHT_SIGN_PKCS11_MODULE=$softhsm PADWRIGHT_SIGN_CERTS=$PWD/chain.pem \
    PADWRIGHT_SIGN_PKCS11_KEY="pkcs11:token=padwright;object=signer;type=private" \
    PADWRIGHT_SIGN_PASSWORD=1234 "$cmake" -DCPACK_TEMPORARY_DIRECTORY="$PWD/token/padwright" \
    -P "$src/cmake/SignExe.cmake" >token.log 2>&1 &&
  osslsigncode verify -CAfile ca.pem -in token/padwright/padwright.exe >>token.log 2>&1 ||
  { cat token.log; say "the exe signed through PKCS#11 is not accepted"; }

version=$(sed -E 's/^padwright-([0-9.]+)-.*/\1/' <<<"$archive")
PADWRIGHT_SIGN_SSH_KEY=$PWD/release_key \
  bash "$src/scripts/release-sums.sh" "$scratch/out" "$version" &&
  echo "padwright-release $(cat release_key.pub)" >allowed_signers &&
  ssh-keygen -Y verify -f allowed_signers -I padwright-release -n file \
    -s "$scratch/out/SHA256SUMS.sig" <"$scratch/out/SHA256SUMS" ||
  say "the signature of SHA256SUMS does not verify"

echo "check_signing: $failures failed"
[ "$failures" -eq 0 ] && rm -rf "$scratch"
[ "$failures" -eq 0 ]
