#include "setup/engine/signature_verdict.h"

#include <gtest/gtest.h>

TEST(SignatureVerdict, OnlyChangedBytesOrABrokenSignatureRefuseTheStart) {
  const struct {
    std::uint32_t result;
    bool damaged;
  } cases[] = {
      {0x00000000, false},  // intact (Wine accepts a self-signed certificate)
      {0x800B0100, false},  // TRUST_E_NOSIGNATURE: unsigned, or data after the signature on Wine
      {0x800B0109, false},  // CERT_E_UNTRUSTEDROOT: the test certificate on Windows
      {0x800B010C, false},  {0x80092003, false},  // CERT_E_REVOKED, CRYPT_E_FILE_ERROR
      {0x80096010, true},   // TRUST_E_BAD_DIGEST: one changed byte
      {0x80096004, true},   // TRUST_E_CERT_SIGNATURE: Wine, a changed byte in the signature
      {0x80091007, true},   {0x80090006, true},  {0x8009200A, true},  {0x8009200E, true},
      {0x80093100, true},   {0x80093202, true},  // first and last ASN.1 failures
      {0x800930FF, false},  {0x80093300, false},  // just outside them
      {0x0000007A, true},   // Wine, half the certificate table cut off
      {0x8007007A, true},   {0x8009200D, true},  {0x800B0003, true},  {0x800B0008, true},
      {0x00000002, false},  {0x80070002, false},  // the file could not be found: no verdict
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kelvamo::SignatureShowsDamage(c.result), c.damaged) << std::hex << c.result;
  }
}
