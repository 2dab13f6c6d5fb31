#pragma once

#include <optional>
#include <string>
#include <utility>

namespace korvex {

// What a user action on a dialog model comes to: accepted, or refused with a message for a
// message box and, where one field is to blame, the field that takes the focus afterwards.
template <typename Field>
struct Outcome {
  bool accepted = true;
  std::string message;
  std::optional<Field> focus;

  static Outcome Accept() { return {}; }
  static Outcome Refuse(std::string text, std::optional<Field> field = std::nullopt) {
    return {false, std::move(text), field};
  }
};

}  // namespace korvex
