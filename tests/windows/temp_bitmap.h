#pragma once
// A 1 x 1 red bitmap file in the system's temporary folder, for the tests
// that hand pictures to the wallpaper call.
#include <windows.h>

#include <fstream>
#include <string>

inline std::string temp_folder() {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    return temp;
}

inline std::string temp_bitmap(const std::string& name) {
    const std::string path = temp_folder() + name;
    const unsigned char bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 255, 0};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    return path;
}
