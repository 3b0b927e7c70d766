#include "ui/Skin.h"

namespace vellix::ui {

namespace {
SkinManager* g_manager = nullptr;
}  // namespace

const std::vector<Skin>& InternalSkins() {
  // A soft blue: pale face, white light edge, blue-grey dark edge.
  static const std::vector<Skin> skins = {
      {u"Office2007 Blue (internal)", Rgb(213, 228, 242), Rgb(255, 255, 255), Rgb(141, 178, 227)},
  };
  return skins;
}

SkinManager::SkinManager() : skinName_(InternalSkins().front().name) {
  if (g_manager == nullptr) g_manager = this;
}

SkinManager::~SkinManager() {
  if (g_manager == this) g_manager = nullptr;
}

const Skin* SkinManager::CurrentSkin() const {
  if (!active_) return nullptr;
  for (const Skin& s : InternalSkins()) {
    if (s.name == skinName_) return &s;
  }
  return nullptr;
}

const Skin* ActiveSkin() { return g_manager ? g_manager->CurrentSkin() : nullptr; }

std::optional<Color> SkinColor(const Skin& skin, Color systemColor) {
  if (systemColor == clBtnFace) return skin.face;
  if (systemColor == clBtnHighlight) return skin.highlight;
  if (systemColor == clBtnShadow) return skin.shadow;
  return std::nullopt;
}

}  // namespace vellix::ui
