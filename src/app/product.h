#pragma once

// Fixed facts about the product this installer carries: compiled in, never configured.
namespace kelvamo {

// The product as the uninstall entry names it.
constexpr char kProductName[] = "Kelvamo";
constexpr char kProductVersion[] = "1.0.0";

// Host of the product's web site, which serves the page opened after a successful installation.
constexpr char kProductHost[] = "www.kelvamo.com";

}  // namespace kelvamo
