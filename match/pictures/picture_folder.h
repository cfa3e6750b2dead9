#pragma once

#include <string>

namespace match::pictures {

// Creates the folder the pictures go to, with its parents; false, with the
// reason on standard error, when there is none and it cannot be made.
bool PreparePictureFolder(const std::string &directory);

// The line that tells where the pictures went and how they are named.
std::string PicturesLine(const std::string &directory);

}  // namespace match::pictures
