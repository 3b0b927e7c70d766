#pragma once
// The program's one look: a skin is a palette that replaces the system
// colours forms and panels paint with. A SkinManager component on the book
// window selects the active skin for every window of the program.
#include <optional>
#include <vector>

#include "text/Text.h"
#include "os/Color.h"

namespace vellix::ui {

// A named palette over the system colours that the windows paint with.
struct Skin {
  Text name;
  Color face;       // form client areas and plain panels (clBtnFace)
  Color highlight;  // light edge of bevels (clBtnHighlight)
  Color shadow;     // dark edge of bevels (clBtnShadow)
};

// The skins built into the program; the first is "Office2007 Blue (internal)".
const std::vector<Skin>& InternalSkins();

// Selects the active skin by name. Only one manager may be alive; while it is
// and Active() holds, every form and panel paints with its skin.
class SkinManager {
 public:
  SkinManager();
  ~SkinManager();
  SkinManager(const SkinManager&) = delete;
  SkinManager& operator=(const SkinManager&) = delete;

  const Text& SkinName() const { return skinName_; }
  void SetSkinName(const Text& name) { skinName_ = name; }
  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }

  // The skin in force: the named internal skin when active, else none.
  const Skin* CurrentSkin() const;

 private:
  Text skinName_;
  bool active_ = true;
};

// The skin every window paints with now (none when no manager is active).
const Skin* ActiveSkin();

// What a system colour looks like under `skin`: the skin's own value for the
// colours it replaces, nothing for the others (they keep the system's value).
std::optional<Color> SkinColor(const Skin& skin, Color systemColor);

}  // namespace vellix::ui
