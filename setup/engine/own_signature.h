#pragma once

// False when WinVerifyTrust finds the running installer's file changed since it was signed
// (kelvamo::SignatureShowsDamage). Asks neither the user nor the network: no revocation check,
// only what is cached.
bool OwnSignatureHolds();
