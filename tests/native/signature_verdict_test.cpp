#include "setup/engine/signature_verdict.h"

#include <gtest/gtest.h>

TEST(SignatureVerdict, OnlyChangedBytesOrABrokenSignatureRefuseTheStart) {
  const struct {
    std::uint32_t result;
    bool damaged;
  } cases[] = {
      {0x00000000, false},  // signed and intact (Wine accepts a self-signed certificate)
      {0x800B0100, false},  // TRUST_E_NOSIGNATURE: unsigned build, or data after the signature
      {0x800B0109, false},  // CERT_E_UNTRUSTEDROOT: the test certificate on Windows
      {0x800B010D, false},  // CERT_E_UNTRUSTEDTESTROOT
      {0x800B010A, false},  // CERT_E_CHAINING
      {0x800B0101, false},  // CERT_E_EXPIRED
      {0x800B010C, false},  // CERT_E_REVOKED
      {0x800B0111, false},  // TRUST_E_EXPLICIT_DISTRUST
      {0x800B0004, false},  // TRUST_E_SUBJECT_NOT_TRUSTED
      {0x80092003, false},  // CRYPT_E_FILE_ERROR: the file could not be read
      {0x800B0001, false},  // TRUST_E_PROVIDER_UNKNOWN
      {0x80096010, true},   // TRUST_E_BAD_DIGEST: one changed byte
      {0x80091007, true},   // CRYPT_E_HASH_VALUE
      {0x80096004, true},   // TRUST_E_CERT_SIGNATURE
      {0x80096002, true},   // TRUST_E_NO_SIGNER_CERT
      {0x80090006, true},   // NTE_BAD_SIGNATURE
      {0x8009200A, true},   // CRYPT_E_UNEXPECTED_MSG_TYPE
      {0x8009200E, true},   // CRYPT_E_NO_SIGNER
      {0x80093100, true},   // CRYPT_E_ASN1_ERROR, first of the ASN.1 failures
      {0x80093202, true},   // CRYPT_E_ASN1_NOEOD
      {0x800930FF, false},  {0x80093300, false},  // just outside them
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kelvamo::SignatureShowsDamage(c.result), c.damaged) << std::hex << c.result;
  }
}
