#include "lib/product/expansion_name.h"

namespace kelvamo {

const char kLibFolder[] = "jre\\lib\\";
const char kLibExtFolder[] = "jre\\lib\\ext\\";

std::string UnpackTargetName(const std::string& packedName, LeadBytePredicate isLeadByte) {
  return packedName.substr(
      0, LengthWithoutTrailing(packedName, packedName.size(), kPackSuffix, isLeadByte));
}

}  // namespace kelvamo
