#include "common/error_report.h"

#include <cstdint>
#include <string>

#include "common/failure.h"
#include "common/log.h"
#include "common/support.h"
#include "platform/toolkit.h"

namespace common {

void ShowError(int number, std::string_view description, std::string_view error_code) {
  Attempt([&] {
    // Callers narrow the failure number to 16 bits.
    const int n = static_cast<std::int16_t>(number);
    std::string text = "Program Spacific Error Code: " + std::string(error_code) + "\r\n";
    text += "Error: " + std::to_string(n) + "\r\n";
    text += "Description: " + std::string(description) + "\r\n";
    text += "\r\n";
    text += "If this error persists, contact " + std::string(kSupportEmail) + ".";
    const std::string number = std::to_string(n);
    Log({"Error box ", error_code, ": error ", number, ", ", description});
    plat::MsgBox(text, plat::kMbOk, "Error " + std::to_string(n));
  });
}

void LogBox(std::string_view text) {
  Log({"Error box: ", text});
}

}  // namespace common
