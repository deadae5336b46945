#include "skin/resource_file.h"

#include <vector>

#include "common/error_codes.h"
#include "common/failure.h"
#include "platform/errors.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace skin {

void LoadSkinPicture(int resource_id, plat::Control& target) {
  common::OnErrorReportAndReturn(common::codes::kSkinPicture, [&] {
    const std::string temp = plat::InFolder(plat::AppPath(), "temp.jpg");
    std::string name = ExtractResource(temp, resource_id, "JPG");
    // An empty name decodes to no picture, as loading "" does.
    if (!name.empty()) {
      std::vector<std::uint8_t> bytes = plat::Sys().ReadFileBytes(name);
      target.SetPicture(plat::DecodeJpeg(bytes));
    }
    plat::Sys().DeleteFile(name);
  });
}

std::string ExtractResource(const std::string& file_name, int resource_id,
                            const std::string& resource_type) {
  std::string result;
  common::OnErrorReportAndReturn(common::codes::kSkinResource, [&] {
    std::vector<std::uint8_t> bytes = plat::Sys().ReadResource(resource_type.c_str(), resource_id);
    plat::Sys().WriteFileBytes(file_name, bytes);
    result = file_name;
  });
  return result;
}

}  // namespace skin
