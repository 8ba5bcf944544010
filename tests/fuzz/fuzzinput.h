#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tintrix::fuzz {

// Takes a fuzzer's bytes apart: fields end at a NUL byte, the last field runs to the end.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : m_rest(reinterpret_cast<const char*>(data), size) {}

  std::string Next() {
    const std::size_t end = m_rest.find('\0');
    const std::string field(m_rest.substr(0, end));
    m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
    return field;
  }
  std::string Rest() {
    const std::string rest(m_rest);
    m_rest = {};
    return rest;
  }
  bool empty() const { return m_rest.empty(); }

 private:
  std::string_view m_rest;
};

// Ends the run with a finding the fuzzer keeps, naming what did not hold.
[[noreturn]] void Fail(const char* what);

}  // namespace tintrix::fuzz
