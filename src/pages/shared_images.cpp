#include "pages/shared_images.h"

#include <map>

#include "resources/image.h"

namespace cdsetup::pages {

framework::ImagePtr SharedImage(int id) {
  static std::map<int, framework::ImagePtr> slots;
  framework::ImagePtr& slot = slots[id];
  if (!slot) {
    resources::Image image = resources::LoadIconImage(id);
    if (!image.empty()) slot = std::make_shared<const resources::Image>(std::move(image));
  }
  return slot;
}

}  // namespace cdsetup::pages
