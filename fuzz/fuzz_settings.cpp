// Stored setting texts on arbitrary bytes: the number conversions and the
// whole read of the settings from a registry that holds those texts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/settings.h"

namespace {

// Every value read gets the next piece of the input (split at NUL bytes).
class PiecesRegistry : public vd::RegistryPort {
 public:
  explicit PiecesRegistry(std::string_view data) : data_(data) {}
  std::string ReadValue(vd::Hive, const std::string&, const std::string&, const std::string& def) override {
    if (data_.empty()) return def;
    const std::size_t end = data_.find('\0');
    std::string piece(data_.substr(0, end));
    data_.remove_prefix(end == std::string_view::npos ? data_.size() : end + 1);
    return piece;
  }
  bool WriteValue(vd::Hive, const std::string&, const std::string&, const std::string&) override { return true; }
  bool DeleteValue(vd::Hive, const std::string&, const std::string&) override { return true; }

 private:
  std::string_view data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto b = vd::ToByte(text);
  const auto s = vd::ToInt16(text);
  const auto i = vd::ToInt32(text);
  // A value that fits a narrower type fits the wider ones, equally.
  if (b && (!s || *s != *b)) __builtin_trap();
  if (s && (!i || *i != *s)) __builtin_trap();
  const int index = vd::TextAsIndex(std::string(text));
  if (index != (s ? *s : -1)) __builtin_trap();

  PiecesRegistry registry(text);
  vd::Settings settings;
  int styles = 0;
  vd::ListIndexSink sink;
  sink.setStyleIndex = [&](std::int16_t) { ++styles; };
  sink.setCycleTimeIndex = [](std::int16_t) {};
  vd::ReadSettingsFrom(registry, settings, sink);
  if (styles > 1) __builtin_trap();
  return 0;
}
