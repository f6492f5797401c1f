#pragma once
// The two form streams the program is built with: the main window, carrying every frame picture
// and region record, and the About window.
#include "assets/FormStream.h"
#include "tools/Artwork.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nyarumi::art {

// Frame names in the order their pictures are stored, and in the order their holders are.
std::vector<std::string> PictureOrder();
std::vector<std::string> HolderOrder();

// The design-time source path stored as a holder's FileName, e.g.
// "D:\nyarumi\art\走り\→\影\走り3up→.RG" for HASIRI3bU.
std::string HolderFileName(const std::string& AFrameName);

TComponentRecord MainForm(const TArtwork& AArt);
TComponentRecord AboutForm();

std::vector<std::uint8_t> MainStream(const TArtwork& AArt);
std::vector<std::uint8_t> AboutStream();

} // namespace nyarumi::art
