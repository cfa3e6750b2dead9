#include "pictures/picture_folder.h"

#include <filesystem>
#include <iostream>

namespace match::pictures {

bool PreparePictureFolder(const std::string &directory)
{
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
        std::cerr << "pebble-match: cannot create directory " << directory << ": " << error.message() << "\n";
        return false;
    }
    return true;
}

std::string PicturesLine(const std::string &directory)
{
    return "Pictures: " + directory + "/ (gameN-overview.svg, gameN-endEE.svg)\n";
}

}  // namespace match::pictures
