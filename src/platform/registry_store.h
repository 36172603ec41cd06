// The registry as the settings store: text values by hive, key path and name.
#pragma once

#include "engine/ports.h"

namespace platform {

class RegistryStore final : public vd::RegistryPort {
 public:
  std::string ReadValue(vd::Hive hive, const std::string& keyPath, const std::string& name,
                        const std::string& defaultText) override;
  bool WriteValue(vd::Hive hive, const std::string& keyPath, const std::string& name,
                  const std::string& value) override;
  bool DeleteValue(vd::Hive hive, const std::string& keyPath, const std::string& name) override;
};

}  // namespace platform
