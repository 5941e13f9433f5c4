#pragma once
#include <cstdint>

namespace kelvamo {

// Whether WinVerifyTrust's answer about the installer's own file means the file was changed after
// it was signed: the digest does not match, or the signature itself is broken. A missing
// signature (a developer's build), a certificate this machine does not trust, an expired or
// revoked one, or a check that could not run say nothing about the bytes and do not count.
bool SignatureShowsDamage(std::uint32_t trustResult);

}  // namespace kelvamo
