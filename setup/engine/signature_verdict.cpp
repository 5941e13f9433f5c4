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
    // The certificate table or the message in it cannot be taken apart.
    0x0000007A, 0x8007007A,  // ERROR_INSUFFICIENT_BUFFER, raw or as HRESULT: Wine, a table cut short
    0x0000000D, 0x8007000D,  // ERROR_INVALID_DATA
    0x0000000B, 0x8007000B,  // ERROR_BAD_FORMAT
    0x80092002,  // CRYPT_E_BAD_ENCODE
    0x8009200D,  // CRYPT_E_BAD_MSG
    0x80091001,  // CRYPT_E_MSG_ERROR
    0x80091004,  // CRYPT_E_INVALID_MSG_TYPE
    0x80091005,  // CRYPT_E_UNEXPECTED_ENCODING
    0x800B0003,  // TRUST_E_SUBJECT_FORM_UNKNOWN: the file no longer reads as a program
    0x800B0005, 0x800B0006, 0x800B0007, 0x800B0008,  // DIGSIG_E_ENCODE, _DECODE, _EXTENSIBILITY, _CRYPTO
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
