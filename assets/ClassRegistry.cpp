#include "assets/ClassRegistry.h"

namespace nyarumi {

void TClassRegistry::Register(TClassInfo AInfo) {
  std::string key = AInfo.Name;
  FClasses.insert_or_assign(std::move(key), std::move(AInfo));
}

const TClassInfo* TClassRegistry::Find(std::string_view AClassName) const {
  auto it = FClasses.find(AClassName);
  return it == FClasses.end() ? nullptr : &it->second;
}

} // namespace nyarumi
