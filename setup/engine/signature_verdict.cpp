#include "setup/engine/signature_verdict.h"

namespace kelvamo {

namespace {

// The platform's HRESULTs (winerror.h) that speak of the signed bytes or the signature's make-up.
constexpr std::uint32_t kDamageResults[] = {
    0x80096010,  // TRUST_E_BAD_DIGEST: the file's digest is not the signed one
    0x80091007,  // CRYPT_E_HASH_VALUE: a hash inside the signature does not match
    0x80096004,  // TRUST_E_CERT_SIGNATURE: a certificate's own signature does not verify
    0x80096002,  // TRUST_E_NO_SIGNER_CERT: the signer's certificate is missing from the signature
    0x80090006,  // NTE_BAD_SIGNATURE: the signature value does not verify
    0x8009200A,  // CRYPT_E_UNEXPECTED_MSG_TYPE: the signature is not a signed message
    0x8009200E,  // CRYPT_E_NO_SIGNER: the signed message names no signer
};

// Malformed ASN.1 in the signature (CRYPT_E_ASN1_ERROR 0x80093100 to CRYPT_E_ASN1_NOEOD and
// beyond, in two blocks of 256).
bool IsAsn1Failure(std::uint32_t result) { return result >= 0x80093100u && result <= 0x800932FFu; }

}  // namespace

bool SignatureShowsDamage(std::uint32_t trustResult) {
  for (std::uint32_t damage : kDamageResults) {
    if (trustResult == damage) return true;
  }
  return IsAsn1Failure(trustResult);
}

}  // namespace kelvamo
